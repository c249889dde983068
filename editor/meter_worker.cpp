#include "meter_worker.h"

#include <QThread>

#include <exception>

namespace plandex {
namespace {

// The library's transfer observer: passes the packet count on and stops the
// transfer once the user asked to.
int observeTransfer(void* context, int packetsDone, int packetsTotal) {
    auto* job = static_cast<MeterJobContext*>(context);
    job->reportProgress(packetsDone, packetsTotal);
    return job->stopRequested() ? 0 : 1;
}

} // namespace

bool MeterJobContext::stopRequested() const {
    return worker_.stopRequested();
}

void MeterJobContext::reportProgress(int done, int total) {
    emit worker_.progress(done, total);
}

sondrel::Failure MeterJobContext::lastFailure() const {
    return library_ ? library_->lastFailure() : sondrel::Failure{};
}

MeterWorker::MeterWorker(QObject* parent) : QObject(parent) {
    setObjectName("MeterWorker");
}

MeterWorker::~MeterWorker() {
    requestStop();
    wait();
    delete thread_;
}

bool MeterWorker::start(std::shared_ptr<sondrel::client::SondrelLibrary> library, std::int16_t port,
                        MeterJob job) {
    if (busy()) return false;
    stopRequested_ = false;
    thread_ = QThread::create([this, library = std::move(library), port, job = std::move(job)] {
        runJob(library, port, job);
    });
    thread_->setObjectName("MeterJob");
    connect(thread_, &QThread::finished, this, &MeterWorker::onThreadFinished);
    thread_->start();
    return true;
}

void MeterWorker::runJob(std::shared_ptr<sondrel::client::SondrelLibrary> library,
                         std::int16_t port, const MeterJob& job) {
    MeterJobContext context(*this, library.get());
    sondrel::client::ConnectionPtr meter;
    if (library) {
        try {
            meter = library->createConnection();
            meter->put_PortDevice(port);
        } catch (const sondrel::client::LoadError&) {
            meter = {}; // the job sees no connection and fails as a closed port would
        }
        library->setTransferObserver(&observeTransfer, &context);
    }
    try {
        job(meter.get(), context);
    } catch (const std::exception&) {
        // The job's outcome stays as it was before the failing step: a failure.
    }
    if (library) library->setTransferObserver(nullptr, nullptr);
    // The connection goes here, on the thread that used it, and closes the port.
}

void MeterWorker::wait() {
    if (thread_) thread_->wait();
}

void MeterWorker::onThreadFinished() {
    if (!thread_) return;
    thread_->wait(); // finished comes just before the thread's very end
    delete thread_;
    thread_ = nullptr;
    emit finished();
}

} // namespace plandex

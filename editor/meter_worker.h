// MeterWorker runs one job with the meter at a time on a thread of its own,
// with a KorvaneConnection of its own: the worker creates it through the loaded
// library, gives it the chosen port (which opens the port) and releases it when
// the job ends (which closes the port), so a dropped line is never kept for the
// next job. The window's thread never waits for the meter.
//
// The job reports progress and learns whether it should stop through its
// MeterJobContext; the library's plan transfers do both by themselves through
// the transfer observer the worker installs on its thread.
#pragma once

#include "sondrel_client.h"

#include <QObject>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>

class QThread;

namespace plandex {

class MeterWorker;

class MeterJobContext {
  public:
    MeterJobContext(MeterWorker& worker, sondrel::client::SondrelLibrary* library)
        : worker_(worker), library_(library) {}
    // True once the user asked the job to stop; a job checks it between its steps.
    bool stopRequested() const;
    // Step done of total steps (for a plan transfer, packets); any thread.
    void reportProgress(int done, int total);
    // Why the job's last call on the meter failed (kind None when it did not,
    // or when no library is loaded); asked right after the call, on the job's thread.
    sondrel::Failure lastFailure() const;

  private:
    MeterWorker& worker_;
    sondrel::client::SondrelLibrary* library_;
};

// The job: meter is the worker's connection, or nullptr when none could be made.
using MeterJob = std::function<void(sondrel::_KorvaneConnection* meter, MeterJobContext& context)>;

class MeterWorker : public QObject {
    Q_OBJECT
  public:
    explicit MeterWorker(QObject* parent = nullptr);
    // Stops a running job after its current packet and waits for its end.
    ~MeterWorker() override;

    // Starts job with a connection of its own on port, made through library.
    // False, and nothing started, while another job runs.
    bool start(std::shared_ptr<sondrel::client::SondrelLibrary> library, std::int16_t port,
               MeterJob job);
    // True from start until finished has been emitted.
    bool busy() const { return thread_ != nullptr; }
    // Asks the running job to stop after its current packet.
    void requestStop() { stopRequested_ = true; }
    bool stopRequested() const { return stopRequested_; }
    // Blocks until the running job has ended (without emitting finished).
    void wait();

  signals:
    // Delivered on the worker object's own thread.
    void progress(int done, int total);
    // The job ended and its connection is released.
    void finished();

  private:
    void runJob(std::shared_ptr<sondrel::client::SondrelLibrary> library, std::int16_t port,
                const MeterJob& job);
    void onThreadFinished();

    QThread* thread_ = nullptr;
    std::atomic<bool> stopRequested_{false};
};

} // namespace plandex

#include "KorvaneConnection.h"
#include "common/command_codes.h"

#include "last_failure.h"
#include "sondrel_ids.h"

namespace sondrel {
namespace {

std::atomic<long> liveObjectCount{0};

constexpr std::uint8_t PlainReplyLength = 6;

} // namespace

std::shared_ptr<SerialLink> threadSerialControl() {
    thread_local std::weak_ptr<SerialLink> shared;
    auto control = shared.lock();
    if (!control) {
        control = std::make_shared<SerialLink>();
        shared = control;
    }
    return control;
}

KorvaneConnection::KorvaneConnection() : KorvaneConnection(threadSerialControl(), {}) {}

KorvaneConnection::KorvaneConnection(std::shared_ptr<SerialLink> control, ExchangeTiming timing)
    : control_(std::move(control)), exchange_(*control_, timing) {
    control_->setInputMode(1);
    control_->setInBufferSize(SerialInBufferSize);
    control_->setInputLen(0);
    ++liveObjectCount;
}

KorvaneConnection::~KorvaneConnection() {
    if (control_->portOpen()) control_->setPortOpen(false);
    --liveObjectCount;
}

KorvaneConnection::MemberCall::MemberCall(KorvaneConnection& connection)
    : lock_(connection.control_->callLock()) {
    clearLastFailure();
}

long KorvaneConnection::liveObjects() {
    return liveObjectCount.load();
}

HResult KorvaneConnection::QueryInterface(const Guid& iid, void** object) {
    if (!object) return E_Pointer;
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == IID__KorvaneConnection) {
        *object = static_cast<_KorvaneConnection*>(this);
        AddRef();
        return S_Ok;
    }
    *object = nullptr;
    return E_NoInterface;
}

std::uint32_t KorvaneConnection::AddRef() {
    return ++references_;
}

std::uint32_t KorvaneConnection::Release() {
    const std::uint32_t left = --references_;
    if (left == 0) delete this;
    return left;
}

HResult KorvaneConnection::OpenDeviceConnection(Variant* result) {
    const MemberCall call(*this);
    if (!result) return E_Pointer;
    const Bytes buffer = commandBuffer(CmdOpenConnection);
    *result = Variant::i2(wire().SendAndWait(PlainReplyLength, buffer));
    return S_Ok;
}

HResult KorvaneConnection::CloseDeviceConnection(Variant* result) {
    const MemberCall call(*this);
    if (!result) return E_Pointer;
    Reply reply;
    const Bytes buffer = commandBuffer(CmdCloseConnection);
    *result = Variant::i2(wire().Exchange(PlainReplyLength, buffer, reply));
    return S_Ok;
}

HResult KorvaneConnection::Reset(Variant* result) {
    const MemberCall call(*this);
    if (!result) return E_Pointer;
    const Bytes buffer = commandBuffer(CmdReset);
    *result = Variant::i2(wire().SendAndWait(PlainReplyLength, buffer));
    return S_Ok;
}

HResult KorvaneConnection::get_PortDevice(std::int16_t* result) {
    const MemberCall call(*this);
    if (!result) return E_Pointer;
    *result = (portNumber_ >= 0 && portNumber_ <= 16) ? portNumber_ : 1;
    return S_Ok;
}

HResult KorvaneConnection::put_PortDevice(std::int16_t value) {
    const MemberCall call(*this);
    portNumber_ = (value >= 1 && value <= 16) ? value : 1;
    // A port that is absent or in use is no error here: it stays closed and the
    // next exchange tries to open it again.
    try {
        if (control_->portOpen()) control_->setPortOpen(false);
        control_->setCommPort(portNumber_);
        control_->setPortOpen(true);
    } catch (const std::exception&) {
    }
    return S_Ok;
}

HResult KorvaneConnection::get_PortState(VariantBool* result) {
    const MemberCall call(*this);
    if (!result) return E_Pointer;
    *result = portState_;
    return S_Ok;
}

HResult KorvaneConnection::put_PortState(VariantBool value) {
    const MemberCall call(*this);
    portState_ = value;
    return S_Ok;
}

} // namespace sondrel

#include "session.h"

#include "cli_errors.h"
#include "sondrel_ids.h"

#include "common/option_texts.h"

#include <algorithm>
#include <charconv>

namespace sondrel::cli {

client::SondrelLibrary& Session::library() {
    if (!library_) library_ = client::SondrelLibrary::load();
    return *library_;
}

IDispatchLike& Session::object() {
    if (object_) return *object_.get();
    connection_ = library().createConnection();
    void* dispatch = nullptr;
    if (failed(connection_->QueryInterface(IID_IDispatch, &dispatch)))
        throw client::LoadError("KorvaneConnection offers no dispatch interface");
    object_ = client::InterfacePtr<IDispatchLike>(static_cast<IDispatchLike*>(dispatch));
    if (port_) {
        const MemberInfo* put =
            findMember(findMemberByName("PortDevice")->dispId, InvokePropertyPut);
        std::vector<Variant> value{Variant::i2(static_cast<std::int16_t>(*port_))};
        call(*put, value);
    }
    if (baud_) setLineSpeed(*baud_);
    return *object_.get();
}

// The library talks at 9600 until the meter is asked to change speed; asking
// it is the one way to make the library follow. A meter still at 9600 takes
// the request and changes; one already at the speed hears only noise, stays
// silent, and the library changes all the same. Either way both end at it.
void Session::setLineSpeed(unsigned baud) {
    const auto rates = baudRates();
    const auto code =
        static_cast<std::uint8_t>(std::find(rates.begin(), rates.end(), baud) - rates.begin());
    std::vector<Variant> args{Variant::ui1(code)};
    call("SetupBaudRate", args);
}

_KorvaneConnection& Session::connection() {
    object();
    return *connection_.get();
}

Variant Session::call(const MemberInfo& member, std::vector<Variant>& args) {
    IDispatchLike& target = object();
    const std::string name(member.name);
    DispId id = 0;
    if (failed(target.GetIDsOfNames(name, &id)))
        throw UsageError("the library knows no member " + name);

    Variant result;
    ExcepInfo excep;
    const HResult hr = target.Invoke(id, invokeKindOf(member.kind), args, &result, &excep);
    if (hr == DispEException) throw MemberError(name, excep.description);
    if (failed(hr))
        throw UsageError(excep.description.empty() ? name + ": call refused" : excep.description);
    return result;
}

Variant Session::call(std::string_view name, std::vector<Variant>& args) {
    const MemberInfo* member = findMemberByName(name);
    if (!member) throw UsageError("no member named " + std::string(name));
    return call(*member, args);
}

int parsePortNumber(std::string_view text) {
    std::string_view digits = text;
    if (digits.size() > 3 && (digits[0] == 'C' || digits[0] == 'c') &&
        (digits[1] == 'O' || digits[1] == 'o') && (digits[2] == 'M' || digits[2] == 'm'))
        digits.remove_prefix(3);
    int number = 0;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
    if (ec != std::errc() || end != digits.data() + digits.size() || number < 1 || number > 16)
        throw UsageError("port must be 1 to 16 or COM1 to COM16, not \"" + std::string(text) +
                         "\"");
    return number;
}

} // namespace sondrel::cli

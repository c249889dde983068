// What the commands of one sondrel run share: the loaded library, the one
// KorvaneConnection object (created on first use, reached only through its
// dispatch interface), the port given with --port and the line speed given
// with --baud.
#pragma once

#include "common/dispatch_members.h"
#include "sondrel_client.h"

#include <memory>
#include <optional>
#include <string_view>
#include <vector>

namespace sondrel::cli {

class Session {
  public:
    explicit Session(std::optional<int> port, std::optional<unsigned> baud = std::nullopt)
        : port_(port), baud_(baud) {}
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    std::optional<int> port() const { return port_; }
    // The line speed given with --baud, if any.
    std::optional<unsigned> baud() const { return baud_; }

    // The library, loaded on first use; throws client::LoadError.
    client::SondrelLibrary& library();

    // Calls a member late-bound: its name through GetIDsOfNames, then Invoke.
    // args are in parameter order and hold the values after the call. Throws
    // UsageError when the call cannot be made as asked, MemberError when the
    // member let an error reach the caller.
    Variant call(const MemberInfo& member, std::vector<Variant>& args);
    // The same for a member named by text; a property is read.
    Variant call(std::string_view name, std::vector<Variant>& args);
    // The same object through its early-bound interface, for code that takes
    // one (the level survey).
    _KorvaneConnection& connection();

  private:
    // The object, created on first use; PortDevice is put when --port was given
    // and the line speed set when --baud was.
    IDispatchLike& object();
    void setLineSpeed(unsigned baud);

    std::optional<int> port_;
    std::optional<unsigned> baud_;
    std::shared_ptr<client::SondrelLibrary> library_;
    client::ConnectionPtr connection_;           // released before the library
    client::InterfacePtr<IDispatchLike> object_; // the same object, late-bound
};

// A port given as N or COMn (1 to 16); throws UsageError.
int parsePortNumber(std::string_view text);

} // namespace sondrel::cli

#include "KorvaneConnection.h"

namespace sondrel {

// Not built yet: no member can be reached by name or dispatch identifier.
HResult KorvaneConnection::GetIDsOfNames(const std::string& name, DispId* dispId) {
    (void)name;
    (void)dispId;
    return DispEUnknownName;
}

HResult KorvaneConnection::Invoke(DispId dispId, InvokeKind kind, std::vector<Variant>& args,
                                  Variant* result, ExcepInfo* excep) {
    (void)dispId;
    (void)kind;
    (void)args;
    (void)result;
    (void)excep;
    return DispEMemberNotFound;
}

} // namespace sondrel

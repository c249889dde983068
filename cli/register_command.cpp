// sondrel register|unregister [LIBRARY]: records where the library is (or
// removes that record), so that programs that do not have the library beside
// them find it. Without LIBRARY the library this program would load is meant.
#include "cli_errors.h"
#include "command_registry.h"
#include "session.h"

#include <iostream>

namespace sondrel::cli {
namespace {

template <bool Register> class RegistrationCommand final : public Command {
  public:
    void configure(CLI::App& command) override {
        command.add_option("LIBRARY", file_, "path of libSondrel.so.2");
        command.footer("The record is the file " + registrationFilePath() + ".");
    }

    int run(Session& session) override {
        std::shared_ptr<client::SondrelLibrary> chosen;
        if (!file_.empty()) chosen = client::SondrelLibrary::loadFrom(file_);
        client::SondrelLibrary& library = chosen ? *chosen : session.library();
        const HResult hr = Register ? library.registerServer() : library.unregisterServer();
        if (failed(hr)) {
            std::cerr << "sondrel: cannot " << (Register ? "write " : "remove ")
                      << registrationFilePath() << '\n';
            return ExitNoLibrary;
        }
        std::cout << (Register ? "registered " : "unregistered ") << library.path() << '\n';
        return 0;
    }

  private:
    std::string file_;
};

const RegisterCommand<RegistrationCommand<true>> registration{
    "register", "record the library's location for programs that do not have it beside them"};
const RegisterCommand<RegistrationCommand<false>> unregistration{
    "unregister", "remove the record of the library's location"};

} // namespace
} // namespace sondrel::cli

// A program of someone else's, built against the installed Sondrel: creates a
// KorvaneConnection through the library's class object and reads PortDevice.
// With a port number it also sets PortDevice and opens the connection.
//
//   c++ -std=c++20 main.cpp $(pkg-config --cflags --libs sondrel) -o example-client
//   or: cmake -S . -B build && cmake --build build   (find_package(Sondrel))
#include <sondrel/activation.h>
#include <sondrel/sondrel_ids.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    using namespace sondrel;
    void* raw = nullptr;
    if (failed(DllGetClassObject(&CLSID_KorvaneConnection, &IID_IClassFactory, &raw))) {
        std::fprintf(stderr, "example-client: no KorvaneConnection class\n");
        return 1;
    }
    auto* factory = static_cast<IClassFactoryLike*>(raw);
    void* object = nullptr;
    const HResult created = factory->CreateInstance(nullptr, IID__KorvaneConnection, &object);
    factory->Release();
    if (failed(created)) {
        std::fprintf(stderr, "example-client: cannot create KorvaneConnection\n");
        return 1;
    }
    auto* meter = static_cast<_KorvaneConnection*>(object);

    int status = 0;
    std::int16_t port = -1;
    if (failed(meter->get_PortDevice(&port))) status = 1;
    std::printf("PortDevice %d\n", port);
    if (argc > 1 && status == 0) {
        Variant opened;
        if (failed(meter->put_PortDevice(static_cast<std::int16_t>(std::atoi(argv[1])))) ||
            failed(meter->OpenDeviceConnection(&opened)) || !opened.toNumber()) {
            status = 1;
        } else {
            std::printf("OpenDeviceConnection %g\n", *opened.toNumber());
        }
    }
    meter->Release();
    return status;
}

// Figures for the frame exchange: the cost of one exchange against a meter that
// answers at line speed (9600 baud), and of waiting for one that does not.
#include "KorvaneConnection.h"
#include "bench_support.h"
#include "frame_exchange.h"

#include <cstdio>

using namespace korvane;

int main() {
    bench::BenchMeter meter(/*pacing=*/true);
    sondrel::SerialLink serial;
    serial.setCommPort(bench::BenchPort);
    serial.setInBufferSize(sondrel::SerialInBufferSize);
    sondrel::FrameExchange exchange(serial);
    const sondrel::Bytes close{6, 0x09};
    const sondrel::Bytes open{6, 0x2B};

    constexpr int rounds = 10;
    sondrel::Reply reply;
    bench::Stopwatch exchanges;
    for (int i = 0; i < rounds; ++i)
        exchange.Exchange(6, close, reply);
    const double perExchange = exchanges.seconds() / rounds;

    bench::Stopwatch sends;
    for (int i = 0; i < rounds; ++i)
        exchange.SendAndWait(6, open);
    const double perSend = sends.seconds() / rounds;

    meter.meter().faults().add(sim::parseFaultRule("any:noreply"));
    const double cpuBefore = bench::cpuSeconds();
    bench::Stopwatch silent;
    exchange.Exchange(6, close, reply);
    const double silentSeconds = silent.seconds();
    const double cpuShare = (bench::cpuSeconds() - cpuBefore) / silentSeconds;

    // Line time of a 6-byte frame and a 6-byte reply at 9600 baud, 10 bits a byte.
    const double lineFloor = 12 * 10 / 9600.0;
    std::printf("exchange, 6-byte reply at 9600 baud: %.3f s each (floor %.3f s: 0.400 s pause"
                " + %.4f s on the line)\n",
                perExchange, 0.4 + lineFloor, lineFloor);
    std::printf("send-and-wait, 6-byte reply:        %.3f s each (floor %.4f s)\n", perSend,
                lineFloor);
    std::printf("exchange with a silent meter:       %.3f s (protocol: 1.4 to 2.4 s)\n",
                silentSeconds);
    std::printf("processor use while waiting:        %.2f %% of one core\n", cpuShare * 100);
    return 0;
}

#include "KorvaneConnection.h"

namespace sondrel {

// Not built yet: every member fails with result 0.

HResult KorvaneConnection::SLMType(std::string* result) {
    result->clear();
    return S_Ok;
}

HResult KorvaneConnection::ReadSLMVolume(std::uint8_t* VolumeLevel, std::int16_t* result) {
    (void)VolumeLevel;
    *result = 0;
    return S_Ok;
}

HResult KorvaneConnection::SetupSLMVolume(std::uint8_t* VolumeLevel, std::int16_t* result) {
    (void)VolumeLevel;
    *result = 0;
    return S_Ok;
}

HResult KorvaneConnection::SetupLevelUnit(std::string* LevelUnit, std::int16_t* result) {
    (void)LevelUnit;
    *result = 0;
    return S_Ok;
}

HResult KorvaneConnection::ReadTemperatureUnit(std::string* TemperatureUnit, std::int16_t* result) {
    (void)TemperatureUnit;
    *result = 0;
    return S_Ok;
}

HResult KorvaneConnection::SetupTemperatureUnit(std::string* TemperatureUnit,
                                                std::int16_t* result) {
    (void)TemperatureUnit;
    *result = 0;
    return S_Ok;
}

HResult KorvaneConnection::SetupSLMLimit(Variant* SLMLimit, std::int16_t* result) {
    (void)SLMLimit;
    *result = 0;
    return S_Ok;
}

HResult KorvaneConnection::SetupFreqStep(std::string* FreqStep, std::int16_t* result) {
    (void)FreqStep;
    *result = 0;
    return S_Ok;
}

HResult KorvaneConnection::SetupDateTime(ComDate* NowDate, ComDate* NowTime, std::int16_t* result) {
    (void)NowDate;
    (void)NowTime;
    *result = 0;
    return S_Ok;
}

HResult KorvaneConnection::SetupShutdownTime(std::string* ShutdownTime, std::int16_t* result) {
    (void)ShutdownTime;
    *result = 0;
    return S_Ok;
}

HResult KorvaneConnection::ReadShutdownUnit(std::string* ShutdownUnit, std::int16_t* result) {
    (void)ShutdownUnit;
    *result = 0;
    return S_Ok;
}

HResult KorvaneConnection::SetupBaudRate(std::uint8_t* BaudRate, std::int16_t* result) {
    (void)BaudRate;
    *result = 0;
    return S_Ok;
}

HResult KorvaneConnection::SetupBackLight(std::string* Backlight, std::int16_t* result) {
    (void)Backlight;
    *result = 0;
    return S_Ok;
}

} // namespace sondrel

#include "KorvaneConnection.h"

namespace sondrel {

// Not built yet: every member fails with result 0.

HResult KorvaneConnection::DeleteFile(std::uint8_t* filenum, std::int16_t* result) {
    (void)filenum;
    *result = 0;
    return S_Ok;
}

HResult KorvaneConnection::ReadFileHead(std::uint8_t* FileIndexNum, FileHead* FileHead,
                                        std::int16_t* result) {
    (void)FileIndexNum;
    (void)FileHead;
    *result = 0;
    return S_Ok;
}

HResult KorvaneConnection::ReadFileHeadDigi(std::uint8_t* FileIndexNum, FileHead* FileHead,
                                            std::int16_t* result) {
    (void)FileIndexNum;
    (void)FileHead;
    *result = 0;
    return S_Ok;
}

HResult KorvaneConnection::ReadFileContent(SafeArray<std::uint8_t>* FileContent,
                                           std::uint8_t* filenum, std::int16_t* result) {
    (void)FileContent;
    (void)filenum;
    *result = 0;
    return S_Ok;
}

HResult KorvaneConnection::ReadFileContentDigi(SafeArray<std::uint8_t>* FileContent,
                                               std::uint8_t* filenum, std::int16_t* result) {
    (void)FileContent;
    (void)filenum;
    *result = 0;
    return S_Ok;
}

HResult KorvaneConnection::ReadFileCount(std::uint8_t* FileCount, std::int16_t* result) {
    (void)FileCount;
    *result = 0;
    return S_Ok;
}

HResult KorvaneConnection::ReadFileCountDigi(std::uint8_t* FileCount, std::int16_t* result) {
    (void)FileCount;
    *result = 0;
    return S_Ok;
}

} // namespace sondrel

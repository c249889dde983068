#include "plan_file_encoding.h"

#include <algorithm>

namespace plandex {

sondrel::CodePage ansiCodePageFor(int languageOffset) {
    return sondrel::CodePage(languageOffset == 0 ? "GBK" : "WINDOWS-1252");
}

std::optional<QByteArray> encodeAnsi(const QString& text, const sondrel::CodePage& codePage) {
    const auto bytes = codePage.encode(text.toStdString());
    if (!bytes) return std::nullopt;
    return QByteArray::fromStdString(*bytes);
}

std::optional<QString> decodePlanFileBytes(const QByteArray& bytes,
                                           const sondrel::CodePage& codePage) {
    const bool binary = std::any_of(bytes.begin(), bytes.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte < 0x20 && byte != '\t' && byte != '\r' && byte != '\n';
    });
    if (binary) return std::nullopt;
    return QString::fromStdString(codePage.decode(bytes.toStdString()));
}

} // namespace plandex

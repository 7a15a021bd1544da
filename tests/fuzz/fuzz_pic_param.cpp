// Any value a user can give a PIC parameter through its encoding for the instrument: no
// crash, four upper-case hexadecimal digits or no change at all.

#include "common_procs.h"
#include "errors.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

bool isHex4(const QString& hex) {
    if (hex.size() != 4)
        return false;
    for (const QChar c : hex)
        if (!((c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F')))
            return false;
    return true;
}

void check(const kr7::Value& value) {
    try {
        const auto encoded = kr7::encodePicParam(value);
        if (encoded && !isHex4(encoded->hex))
            std::abort();
        if (!encoded && value.toText().size() < 3)
            std::abort();
    } catch (const kr7::Error& e) {
        if (e.number() != kr7::errnum::Overflow)
            std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    check(
        kr7::Value::text(QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size))));
    if (size >= sizeof(double)) {
        double number = 0;
        std::memcpy(&number, data, sizeof number);
        check(kr7::Value::floating(number));
    }
    return 0;
}

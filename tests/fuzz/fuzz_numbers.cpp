// Any text through the number readings and every display pattern: no crash, and a text that
// reads as a whole number is one that a number field takes.

#include "conversions.h"
#include "database.h"
#include "errors.h"
#include "schema.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kr7;
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const double number = conv::leadingNumber(text);
    for (const char16_t* pattern :
         {u"0", u"0.0", u"0.00", u"0.000", u"0.0000000000", u"0%", u"#,###"})
        (void)conv::formatNumber(number, pattern);
    (void)conv::strNumber(number);
    try {
        (void)conv::toWhole32(number);
    } catch (const Error& e) {
        if (e.number() != errnum::Overflow)
            std::abort();
    }
    if (conv::isNumeric(text)) {
        static const schema::Column floating{QStringLiteral("F"), schema::FieldType::Floating};
        if (store::fitForField(floating, Value::text(text)).asFloating() != number)
            std::abort();
    }
    return 0;
}

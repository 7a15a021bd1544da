// Any text through the day-first date reading: no crash, and every date read comes back the
// same from its stored form and keeps its day, month and time in the screens' form.

#include "conversions.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kr7;
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const auto date = conv::readDate(text);
    if (!date)
        return 0;
    if (conv::readDate(conv::storedDateText(*date)) != date)
        std::abort();
    const auto shown = conv::readDate(conv::formatDate(*date));
    if (!shown || shown->date().day() != date->date().day() ||
        shown->date().month() != date->date().month() ||
        shown->time().hour() != date->time().hour() ||
        shown->time().minute() != date->time().minute())
        std::abort();
    (void)conv::hourBoundaries(*date, *shown);
    return 0;
}

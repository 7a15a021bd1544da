#include "value.h"

#include "conversions.h"

namespace kr7 {

double Value::toNumber() const {
    switch (kind()) {
    case Kind::Whole:
        return double(asWhole());
    case Kind::Floating:
        return asFloating();
    case Kind::YesNo:
        return asYesNo() ? -1.0 : 0.0;
    default:
        return 0.0;
    }
}

QString Value::toText() const {
    switch (kind()) {
    case Kind::Text:
        return asText();
    case Kind::Whole:
        return QString::number(asWhole());
    case Kind::Floating:
        return conv::numberText(asFloating());
    case Kind::Date:
        return asDate().time() == QTime(0, 0)
                   ? asDate().toString(QStringLiteral("dd/MM/yyyy"))
                   : asDate().toString(QStringLiteral("dd/MM/yyyy HH:mm:ss"));
    case Kind::YesNo:
        return asYesNo() ? QStringLiteral("True") : QStringLiteral("False");
    case Kind::Empty:
    case Kind::Null:
        break;
    }
    return QString();
}

} // namespace kr7

#include "errors.h"

namespace kr7 {

Error typeMismatch() {
    return Error(errnum::TypeMismatch, QStringLiteral("Type mismatch"));
}

Error overflow() {
    return Error(errnum::Overflow, QStringLiteral("Overflow"));
}

Error itemNotFound(const QString& name) {
    return Error(errnum::ItemNotFound,
                 QStringLiteral("Item cannot be found in the collection corresponding to the "
                                "requested name or ordinal (%1)")
                     .arg(name));
}

Error noCurrentRecord() {
    return Error(errnum::NoCurrentRecord,
                 QStringLiteral("Either BOF or EOF is True, or the current record has been "
                                "deleted. Requested operation requires a current record."));
}

Error textTooLong(const QString& field, qsizetype size) {
    return Error(errnum::MultipleStep,
                 QStringLiteral("Multiple-step operation generated errors: text too long for "
                                "field %1 (at most %2 characters)")
                     .arg(field)
                     .arg(size));
}

} // namespace kr7

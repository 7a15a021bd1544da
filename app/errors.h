#pragma once

#include <QString>
#include <cstdint>
#include <stdexcept>

namespace kr7 {

// The error numbers the program raises. Positive numbers are the original platform's
// run-time errors; the database provider's errors are negative, as they always were.
namespace errnum {
constexpr std::int32_t Overflow = 6;
constexpr std::int32_t OutOfMemory = 7;
constexpr std::int32_t TypeMismatch = 13;
constexpr std::int32_t InternalError = 51;
constexpr std::int32_t FileError = 75;
constexpr std::int32_t NoCurrentRecord = 3021;
constexpr std::int32_t RecordLocked = 3260;
constexpr std::int32_t ObjectClosed = 3704;
constexpr std::int32_t ItemNotFound = 3265;
constexpr std::int32_t MultipleStep = -2147217887;  // 0x80040E21: a value the field cannot take
constexpr std::int32_t ProviderError = -2147467259; // 0x80004005: any other database failure
} // namespace errnum

// What the reporter needs of an error in progress. A number of 0 means "no error": a
// report of a plain message.
struct ErrorInfo {
    std::int32_t number = 0;
    QString description;
    std::int32_t line = 0;
};

class Error : public std::runtime_error {
  public:
    Error(std::int32_t number, const QString& description)
        : std::runtime_error(description.toStdString()), number_(number),
          description_(description) {}

    std::int32_t number() const { return number_; }
    const QString& description() const { return description_; }

  private:
    std::int32_t number_;
    QString description_;
};

Error typeMismatch();
Error overflow();
Error itemNotFound(const QString& name);
Error noCurrentRecord();
Error textTooLong(const QString& field, qsizetype size);

} // namespace kr7

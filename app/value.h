#pragma once

#include <QDateTime>
#include <QString>
#include <cstdint>
#include <variant>

namespace kr7 {

// A tagged value as the database hands it over. The screens treat these kinds differently
// (a null reads as the empty text, an empty date writes a null), so they are never merged.
// Dates are naive local date-times: they carry no time zone, as the shared file's do not.
class Value {
  public:
    enum class Kind { Empty, Null, Text, Whole, Floating, Date, YesNo };

    Value() = default;
    static Value null() { return Value(NullTag{}); }
    static Value text(QString s) { return Value(std::move(s)); }
    static Value whole(std::int64_t n) { return Value(n); }
    static Value floating(double d) { return Value(d); }
    static Value date(const QDateTime& dt) { return Value(dt); }
    static Value yesNo(bool b) { return Value(b); }

    Kind kind() const { return static_cast<Kind>(data_.index()); }
    bool isEmpty() const { return kind() == Kind::Empty; }
    bool isNull() const { return kind() == Kind::Null; }
    bool isNumber() const { return kind() == Kind::Whole || kind() == Kind::Floating; }

    const QString& asText() const { return std::get<QString>(data_); }
    std::int64_t asWhole() const { return std::get<std::int64_t>(data_); }
    double asFloating() const { return std::get<double>(data_); }
    const QDateTime& asDate() const { return std::get<QDateTime>(data_); }
    bool asYesNo() const { return std::get<bool>(data_); }

    // The number a whole, floating or Yes/No value stands for (Yes is -1, as the original
    // platform counts it); 0 for anything else.
    double toNumber() const;

    // The text the original platform made of the value: numbers in their shortest form,
    // dates day first, Yes/No as "True"/"False", empty and null as "".
    QString toText() const;

    bool operator==(const Value&) const = default;

  private:
    struct NullTag {
        bool operator==(const NullTag&) const = default;
    };
    struct EmptyTag {
        bool operator==(const EmptyTag&) const = default;
    };
    using Data = std::variant<EmptyTag, NullTag, QString, std::int64_t, double, QDateTime, bool>;

    explicit Value(NullTag t) : data_(t) {}
    explicit Value(QString s) : data_(std::move(s)) {}
    explicit Value(std::int64_t n) : data_(n) {}
    explicit Value(double d) : data_(d) {}
    explicit Value(const QDateTime& dt) : data_(dt) {}
    explicit Value(bool b) : data_(b) {}

    Data data_;
};

} // namespace kr7

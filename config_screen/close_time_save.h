#pragma once

#include "config_values.h"
#include "settings_table.h"

#include <QHash>
#include <QSet>
#include <QStringList>
#include <functional>
#include <optional>
#include <span>

namespace kr7 {
class Trap;
}

namespace kr7::config {

// The text fields whose edit is still pending, by objectName.
class ChangedFlags {
  public:
    void set(const QString& field) { pending_.insert(field); }
    void clear(const QString& field) { pending_.remove(field); }
    void clearAll() { pending_.clear(); }
    bool isSet(const QString& field) const { return pending_.contains(field); }

  private:
    QSet<QString> pending_;
};

// One step of the close-time save: its fields, each written to its own key (the settings
// table's) when its converted text passes the check.
struct SaveRow {
    QStringList fields;
    CheckRule rule;
};

// The close-time save's steps, in the order they write.
std::span<const SaveRow> closeTimeSaveRows();

// What the close-time save writes for a pending field's text; nothing when the text is
// dropped. `shownOnEntry` is what the field showed when the user entered it.
std::optional<Value> closeTimeValue(const SaveRow& row, const Setting& setting, const QString& text,
                                    const QString& shownOnEntry, const TemperatureLimits& limits);

// A pending field's text now and when the user entered it.
struct PendingText {
    std::function<QString(const QString&)> now;
    const QHash<QString, QString>& onEntry;
};

// Writes every pending field in the rows' order; a store error goes to `trap` and the save
// goes on with the next field. A temperature written becomes the new limit.
void saveClosing(const ChangedFlags& changed, const PendingText& text, TemperatureLimits& limits,
                 const Trap& trap);

} // namespace kr7::config

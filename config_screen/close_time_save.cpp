#include "close_time_save.h"

#include "conversions.h"
#include "trap.h"

#include <vector>

namespace kr7::config {

namespace {

using C = Conversion;

QStringList params(std::initializer_list<int> numbers) {
    QStringList names;
    for (const int n : numbers)
        names << arrayName("txt_params", n);
    return names;
}

QStringList arrayRange(const char* array, int first, int last) {
    QStringList names;
    for (int i = first; i <= last; ++i)
        names << arrayName(array, i);
    return names;
}

const Range k0to9999{0, 9999};

// Hours are checked as the tenths that are written, the way the field's own commit checks
// them, so a value the commit refuses is never stored at closing either.
std::vector<SaveRow> buildRows() {
    const Range temperature{0, 120, RangeOn::Number};
    const Range magnitude1000{-1000, 1000, RangeOn::Number};
    return {
        {params({10, 11}), C::Whole, k0to9999},
        {params({34}), C::Whole, Range{0, 999}},
        {params({102}), C::Tenths, temperature, Temperature::Minimum},
        {params({101}), C::Tenths, temperature, Temperature::Target},
        {params({103}), C::Tenths, temperature, Temperature::Maximum},
        {params({40}), C::WholeDown, k0to9999},
        {arrayRange("txt_params", 49, 60), C::WholeDown, k0to9999},
        {arrayRange("txt_params", 41, 48), C::Tenths, k0to9999},
        {params({104, 105}), C::Tenths, k0to9999},
        {params({22, 23, 24, 26, 28, 30, 32}), C::Text},
        {{"txt_max_hours_before_CHECK"}, C::Tenths, k0to9999},
        {{"txt_max_dips_steriliser", "txt_max_dips_water", "txt_max_dips_enzyme",
          "txt_max_dips_wash_additive"},
         C::Whole,
         Range{.max = 999}},
        {{"txt_max_dips_calibrant"}, C::Whole, Range{.max = 999}},
        {{"txt_max_days_calibrant"}, C::Whole, Range{.max = 9999}},
        {{"txt_calibration_max_samples"}, C::Number, Range{.max = 9999}},
        {{"txt_calibration_max_hours"}, C::TenthsDown, k0to9999},
        {{"txt_calibration_time_of_day"}, C::WholeDown, Range{0, 24}},
        {{"txt_calibration_samples_since_last"}, C::Number, k0to9999},
        {{"txt_last_Calibration_date"}, C::Date},
        {{"txt_Maintenance_max_samples"}, C::Whole, k0to9999},
        {{"txt_Maintenance_samples_since_last"}, C::Whole, k0to9999},
        {{"txt_Maintenance_max_hours"}, C::TenthsDown, k0to9999},
        {{"txt_maintenance_time_of_day"}, C::WholeDown, Range{0, 24}},
        {{"txt_date_last_maintenance"}, C::Date},
        {{"txt_steriliser_tubes", "txt_water_tubes"}, C::WholeDown, Range{0, 9}},
        {{"txt_gradient_actual", "txt_offset_actual"}, C::Number, magnitude1000},
        {{"txt_Drift_actual"}, C::PlusOnePerCent, magnitude1000},
        {{"txt_gradient_multiplier", "txt_offset_multiplier"}, C::Number, magnitude1000},
        {{"txt_Check_PV25", "txt_Check_PV37", "txt_Low_PV25", "txt_Low_PV37", "txt_High_PV25",
          "txt_High_PV37"},
         C::Number,
         Range{0, 1000}},
        {{"txt_PV_label1", "txt_PV_label2"}, C::Text},
        {{"txt_Comport"}, C::Whole, Range{1, 32}},
        {{"txt_RJL_dir", "txt_RJP_dir", "txt_help_file_viewer", "txt_editor"}, C::Text},
        {{"txt_Site_ID"}, C::Whole, Range{.min = 1}},
        {{"txt_site_name"}, C::Text},
        {{"txt_KR7_Name"}, C::Text},
        {{"txt_mins_drift", "txt_wash_timeout"}, C::Number},
        {{"txt_hours_cleaning_allowance"}, C::Whole, Range{0, 99}},
        {{"txt_Reduction_PV"}, C::Number, Range{.max = 99.9}},
        {{"txt_Reduction_Percentage"}, C::Fraction, Range{.max = 100, .on = RangeOn::Number}},
        {{"txt_Wash_Add_Date", "txt_Program_download_date", "txt_last_Check_date",
          "txt_PIC_config_download_date"},
         C::Date},
        {arrayRange("txt_valve_name", 1, 14), C::Text},
        {arrayRange("txt_timer_name", 1, 18), C::Text},
    };
}

} // namespace

std::span<const SaveRow> closeTimeSaveRows() {
    static const std::vector<SaveRow> rows = buildRows();
    return rows;
}

std::optional<Value> closeTimeValue(const SaveRow& row, const Setting& setting, const QString& text,
                                    const QString& shownOnEntry, const TemperatureLimits& limits) {
    Checked checked = checkText(setting, row.rule, text, shownOnEntry, limits);
    if (checked.verdict != Verdict::Accepted)
        return std::nullopt;
    return std::move(checked.value);
}

void saveClosing(const ChangedFlags& changed, const PendingText& text, TemperatureLimits& limits,
                 const Trap& trap) {
    for (const SaveRow& row : closeTimeSaveRows()) {
        for (const QString& field : row.fields) {
            if (!changed.isSet(field))
                continue;
            const Setting& s = setting(field);
            const auto value =
                closeTimeValue(row, s, text.now(field), text.onEntry.value(field), limits);
            if (!value)
                continue;
            bool written = false;
            trap.run([&] { written = writeKey(s.key, *value); });
            if (written)
                limits.set(row.rule.temperature, std::int32_t(value->toNumber()));
        }
    }
}

} // namespace kr7::config

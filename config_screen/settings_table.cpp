#include "settings_table.h"

#include <QHash>
#include <stdexcept>
#include <vector>

namespace kr7::config {

Key pc(QString field) {
    return {Key::Store::PcConfig, std::move(field)};
}

Key pi(QString field) {
    return {Key::Store::PicList, std::move(field)};
}

Key param(int number) {
    return {Key::Store::PicParam, QString(), number};
}

QString arrayName(const char* array, int index) {
    return QStringLiteral("%1(%2)").arg(QLatin1String(array)).arg(index);
}

namespace {

using enum Shown;
using T = Typing;
using C = Conversion;

const QString kCannotChange = QStringLiteral("Cannot change");
const QString kDateTip = QStringLiteral("Date in format dd/mm/yy (+ hh:mm if desired)");
const QString kDateRefusal = QStringLiteral("Enter nothing or date");
const QString kRange9999 = QStringLiteral("Range 0-9999");

const QString kMaxHeading = QStringLiteral("Max. (0 to turn off)");

// The shapes a row of the table takes.
Setting edit(QString name, Place at, QString label, Key key, Shown shown, int maxLength,
             QString toolTip, Edit e) {
    return {std::move(name),    Kind::Edit,  at, std::move(label), std::move(key), shown, maxLength,
            std::move(toolTip), std::move(e)};
}

Setting readOnly(QString name, Place at, QString label, Key key, Shown shown, int maxLength = 0,
                 QString toolTip = kCannotChange) {
    return {std::move(name), Kind::ReadOnly, at,        std::move(label),
            std::move(key),  shown,          maxLength, std::move(toolTip)};
}

Setting check(QString name, Place at, QString caption, Key key, Shown shown, int onValue,
              QString toolTip = {}) {
    Setting s{std::move(name), Kind::Check, at, std::move(caption),
              std::move(key),  shown,       0,  std::move(toolTip)};
    s.onValue = onValue;
    return s;
}

Setting bitBox(int index, Place at, QString caption, int bit, QString toolTip = {}) {
    Setting s = check(arrayName("Check_box", index), at, std::move(caption), param(80), Bit, 0,
                      std::move(toolTip));
    s.bit = bit;
    return s;
}

Setting button(QString name, Place at, QString caption) {
    return {std::move(name), Kind::Button, at, std::move(caption)};
}

Setting setToNow(QString name, Place at, QString dateField) {
    Setting s = button(std::move(name), at, QStringLiteral("Set to Now"));
    s.edit.partner = std::move(dateField);
    return s;
}

Setting label(QString name, Place at, QString text) {
    return {std::move(name), Kind::Label, at, std::move(text)};
}

Setting named(Setting s, QString accessibleName) {
    s.accessibleName = std::move(accessibleName);
    return s;
}

// The row label names the product's row for screen readers; the row already has it shown.
Setting product(QString name, Place at, QString rowLabel, Key key, Key factor) {
    Setting s = readOnly(std::move(name), at, std::move(rowLabel), std::move(key), Product);
    s.factor = std::move(factor);
    return s;
}

Edit dateEdit(QString prompt, QString partner = {}, QString refusal = kDateRefusal) {
    return {T::Date,           C::Date, std::nullopt,      std::move(refusal),
            std::move(prompt), Date,    std::move(partner)};
}

Edit digits(C conversion, QString prompt) {
    return {T::Digits, conversion, std::nullopt, QString(), std::move(prompt)};
}

Edit anyText(QString prompt, bool promptStays = false) {
    return {T::Any,  C::Text,   std::nullopt, QString(), std::move(prompt),
            Nothing, QString(), promptStays};
}

// Up to two characters, which the instrument reads as a barcode's first letters; the prompt
// line keeps what it showed.
Edit barcodeLetters() {
    Edit letters = anyText(QString(), true);
    letters.refusal = QStringLiteral("Valid range 0-2 characters");
    return letters;
}

Edit pvValue(const char* prompt) {
    return {T::Decimal,
            C::Number,
            Range{0, 999},
            QStringLiteral("Valid range 0-999"),
            QString::fromLatin1(prompt),
            Fixed3};
}

Edit calibration(const char* prompt, C conversion, Shown reshow, const char* userValue,
                 std::optional<Range> range, Typing typing = T::Signed) {
    return {typing,
            conversion,
            range,
            range ? QStringLiteral("Valid range -999 to 999") : QString(),
            QString::fromLatin1(prompt),
            reshow,
            QString::fromLatin1(userValue)};
}

// The PIC parameter elements share their prompt, check and message by kind.
Edit wholeParam(double max) {
    const QString message = QStringLiteral("Valid range 0-%1").arg(max);
    return {T::Any, C::Whole, Range{0, max}, message, message, Whole};
}

Edit tenthsParam() {
    const QString message = QStringLiteral("Valid range 0-999.9");
    return {T::Any, C::Tenths, Range{0, 9999}, message, message, Tenths};
}

Edit temperatureParam(Temperature role, const char* crossRefusal) {
    const QString message = QStringLiteral("Valid range 0-120.0");
    Edit e{T::Any, C::Tenths, Range{0, 1200}, message, message, Tenths};
    e.temperature = role;
    e.temperatureRefusal = QString::fromLatin1(crossRefusal);
    return e;
}

const Range kUpTo9999{0, 9999};
const Range kMagnitude999{-999, 999, RangeOn::Number};

std::vector<Group> buildGroups() {
    const QStringList dateHeadings = {
        QStringLiteral("Date last downloaded (blank out to force download)"),
        QStringLiteral("Date last modified")};
    return {
        {"fra_enforced_CHECK",
         0,
         -1,
         QStringLiteral("Enforced CHECK"),
         {kMaxHeading, QStringLiteral("Number since last"), QStringLiteral("Last CHECK date")}},
        {"sec_check_limits", 0, -1},
        {"fra_enforced_CALIBRATION",
         1,
         0,
         QStringLiteral("Enforced CALIBRATION"),
         {kMaxHeading, QStringLiteral("Number since last Calibration"),
          QStringLiteral("Date last Calibration")}},
        {"fra_last_calibration",
         1,
         0,
         QStringLiteral("Last calibration details"),
         {QStringLiteral("Barcode"), QStringLiteral("PV25"), QStringLiteral("PV37"),
          QStringLiteral("Runtime")}},
        {"fra_standard_PV",
         1,
         1,
         QStringLiteral("Standard PV values"),
         {QStringLiteral("PV37"), QStringLiteral("PV25")},
         QStringLiteral("Only change these if really necessary - it is used to derive PV25 from "
                        "the barcode PV37")},
        {"fra_gradient",
         1,
         1,
         QString(),
         {QStringLiteral("Actual Values"), QStringLiteral("Multiplier"),
          QStringLiteral("User Values")}},
        {"fra_Wash_Additive", 2, -1, QStringLiteral("Wash Additive")},
        {"fra_enforced_MAINTENANCE",
         2,
         -1,
         QStringLiteral("Enforced MAINTENANCE"),
         {kMaxHeading, QStringLiteral("Number since last Maintenance"),
          QStringLiteral("Date last Maintenance")}},
        {"sec_timers_note",
         3,
         -1,
         QString(),
         {},
         QStringLiteral("Setting a timer value to 0 will disable it")},
        {"fra_timers_tenths", 3, 0, QStringLiteral("0.1 Second timers")},
        {"fra_timers_other", 3, 0, QStringLiteral("Other timers")},
        {"fra_timers_seconds", 3, 1, QStringLiteral("Second timers")},
        {"fra_timers_minutes", 3, 1, QStringLiteral("Minute timers")},
        {"fra_valve_names", 4, 0, QStringLiteral("Valve names")},
        {"sec_switches", 5, 0},
        {"fra_normally_on", 5, 1, QStringLiteral("Normally on for User")},
        {"fra_development", 5, 1, QStringLiteral("Used during Software Development")},
        {"sec_download_dates", 6, -1, QString(), dateHeadings},
        {"sec_downloads", 6, -1},
        {"sec_other", 7, 0},
        {"fra_reduction_factor", 7, 1, QStringLiteral("Reduction Factor")},
        {"fra_barcode_letter",
         7,
         1,
         QStringLiteral("Barcode Start Letter"),
         {QStringLiteral("Start char(s).")}},
        {"sec_other_forms", 8, 0},
    };
}

void addCheckTab(std::vector<Setting>& s) {
    const char* g = "fra_enforced_CHECK";
    const QString samples = QStringLiteral("Samples before CHECK required");
    const QString hours = QStringLiteral(
        "Hours before CHECK required (999.9 format, each 0.1 is 6 minutes, 0 to turn off)");
    s.push_back(edit(arrayName("txt_params", 10), {g, 0, 0}, samples, param(10), Whole, 4,
                     kRange9999, wholeParam(9999)));
    s.push_back(edit(arrayName("txt_params", 11), {g, 0, 1}, samples, param(11), Whole, 4,
                     kRange9999, wholeParam(9999)));
    s.push_back(edit("txt_last_Check_date", {g, 0, 2}, QString(), pi("PI_16"), Date, 14, kDateTip,
                     dateEdit("Blank out the field to cause a CHECK to be requested, or enter date "
                              "in format DD/MM/YY",
                              "txt_hours_since_last_CHECK")));
    s.push_back(edit("txt_max_hours_before_CHECK", {g, 1, 0}, hours, pi("PI_35"), Tenths, 5,
                     "Range 0-999.9",
                     {T::Decimal, C::TenthsDown, kUpTo9999, "Valid range 0-999.9",
                      "Enter the maximum hours before a CHECK is required."}));
    s.push_back(readOnly("txt_hours_since_last_CHECK", {g, 1, 1}, hours, pi("PI_16"), HoursSince));
    s.push_back(setToNow("cmd_last_Check_date_now", {g, 1, 2}, "txt_last_Check_date"));

    const char* l = "sec_check_limits";
    s.push_back(check("Chk_enforced_CHECK", {l, 0}, "Skip initial CHECK", pc("PC_38"), Tick, -1,
                      "Tick to skip CHECK before patient samples"));
    s.push_back(check("Chk_adjust_CHECK", {l, 1}, "Adjust CHECK value", pi("PI_34"), Tick, -1,
                      "Tick to auto adjust PV"));
    s.push_back(edit(arrayName("txt_params", 34), {l, 2},
                     "CHECK %age variation allowed  (0 to disable checking)", param(34), Whole, 3,
                     "Range 0-999", wholeParam(999)));
    const auto dips = [&](const char* name, int row, const char* text, Key key, const char* kind,
                          const char* unlimited) {
        s.push_back(
            edit(name, {l, row}, text, std::move(key), Whole, 3, "Range 0-999",
                 digits(C::Number, QStringLiteral("Enter the maximum number of dips "
                                                  "allowed for %1 barcode, range 0-999%2")
                                       .arg(QLatin1String(kind), QLatin1String(unlimited)))));
    };
    dips("txt_max_dips_steriliser", 3, "Max dips from Steriliser", pc("PC_48"), "a STERILISER",
         ", 0 is unlimited");
    s.push_back(label("lbl_dips_note", {l, 3, 1}, "0 to turn off checking, range 0-999"));
    dips("txt_max_dips_water", 4, "Max dips from Water", pc("PC_50"), "a WATER RINSE", "");
    dips("txt_max_dips_enzyme", 5, "Max dips from Enzyme", pc("PC_49"), "an ENZYME",
         ", 0 is unlimited");
    dips("txt_max_dips_wash_additive", 6, "Max dips from Wash Additive", pc("PC_51"),
         "a WASH ADDITIVE", ", 0 is unlimited");
    s.push_back(edit("txt_max_dips_calibrant", {l, 7}, "CHECK, LOW, HIGH dips", pi("PI_38"), Whole,
                     3, "Range 0-999",
                     digits(C::WholeDown, "Enter the maximum number of dips allowed for LOW, HIGH, "
                                          "or CHECK barcode, range 0-999, 0 is unlimited")));
    s.push_back(edit("txt_max_days_calibrant", {l, 8}, "Days before calibrant too old", pi("PI_39"),
                     Whole, 4, "Range 0-9999 (27 years)",
                     digits(C::WholeDown, "Enter the maximum number of days before the calibrant "
                                          "is too old, range 1-9999, or 0 to disable checking")));
    s.push_back(label("lbl_days_note", {l, 8, 1}, "0 to turn off, range 0-9999"));
}

void addCalibrationSchedule(std::vector<Setting>& s) {
    const char* g = "fra_enforced_CALIBRATION";
    const QString samples = QStringLiteral("Samples before Cal. required");
    const QString hours = QStringLiteral(
        "Hours before Cal. required (999.9 format, each 0.1 is 6 minutes, 0 to turn off)");
    s.push_back(edit("txt_calibration_max_samples", {g, 0, 0}, samples, pi("PI_53"), Text, 4,
                     kRange9999,
                     {T::Digits, C::Number, std::nullopt, QString(),
                      "Enter the number of samples allowed before enforced calibration is "
                      "required, range 0-9999",
                      Whole}));
    s.push_back(edit(
        "txt_calibration_samples_since_last", {g, 0, 1}, samples, pi("PI_15"), Text, 4, kRange9999,
        {T::Digits, C::Number, std::nullopt, QString(),
         "Enter the number of samples since the last calibration, range 0-9999", Whole}));
    s.push_back(edit("txt_last_Calibration_date", {g, 0, 2}, QString(), pi("PI_14"), Date, 14,
                     kDateTip,
                     dateEdit("Blank out the field to cause enforced calibration, or enter date in "
                              "format DD/MM/YY",
                              "txt_calibration_hours_since_last")));
    s.push_back(edit("txt_calibration_max_hours", {g, 1, 0}, hours, pi("PI_54"), Tenths, 5,
                     "Range 0-999.9",
                     {T::Decimal, C::TenthsDown, Range{.max = 9999}, "Valid range 0-999.9",
                      "Enter the number of hours allowed before enforced calibration is required, "
                      "range 0-999.9",
                      Tenths}));
    s.push_back(
        readOnly("txt_calibration_hours_since_last", {g, 1, 1}, hours, pi("PI_14"), HoursSince));
    s.push_back(setToNow("cmd_last_Calibration_date_now", {g, 1, 2}, "txt_last_Calibration_date"));
    s.push_back(edit("txt_calibration_time_of_day", {g, 2, 0, false},
                     "Time in day for Cal. (0 to turn off)", pi("PI_49"), Whole, 2, QString(),
                     {T::Digits, C::WholeDown, Range{.max = 24}, "Valid range 0-24",
                      "Enter the time in the day after which enforced calibration is required, "
                      "range 0-24, 0 to turn off",
                      Whole}));
    s.push_back(check("chk_recal_reqd", {g, 3}, "Calibration required", pi("PI_43"), Tick, -1,
                      "If ticked then calibration will be done first"));
}

void addLastCalibration(std::vector<Setting>& s) {
    const char* g = "fra_last_calibration";
    s.push_back(named(edit("txt_PV_label1", {g, -1, 1}, QString(), pc("PC_42"), Text, 4,
                           "Sets heading for PV25 column",
                           anyText("Enter the name to be used on the top of the PV25 column")),
                      QStringLiteral("PV25 column heading")));
    s.push_back(named(edit("txt_PV_label2", {g, -1, 2}, QString(), pc("PC_43"), Text, 4,
                           "Sets heading for PV37 column",
                           anyText("Enter the name to be used on the top of the PV37 column")),
                      QStringLiteral("PV37 column heading")));
    struct Tube {
        const char* row;
        const char* name;
        const char* barcode;
        const char* pv25;
        const char* pv37;
        const char* runtime;
    };
    const Tube tubes[] = {{"CHECK", "Check", "PI_18", "PI_45", "PI_19", "PI_20"},
                          {"LOW", "Low", "PI_21", "PI_46", "PI_22", "PI_23"},
                          {"HIGH", "High", "PI_24", "PI_47", "PI_25", "PI_26"}};
    int row = 0;
    for (const Tube& t : tubes) {
        const QString last = QStringLiteral("txt_last_") + QLatin1String(t.name);
        const QString rowLabel = QLatin1String(t.row);
        s.push_back(readOnly(last + "_Barcode", {g, row, 0}, rowLabel, pi(t.barcode), Text));
        s.push_back(readOnly(last + "_PV25", {g, row, 1}, rowLabel, pi(t.pv25), Fixed2));
        s.push_back(readOnly(last + "_PV37", {g, row, 2}, rowLabel, pi(t.pv37), Fixed2));
        s.push_back(readOnly(last + "_Runtime", {g, row, 3}, rowLabel, pi(t.runtime), Whole));
        ++row;
    }
}

void addStandardPvValues(std::vector<Setting>& s) {
    const char* g = "fra_standard_PV";
    const char* pv37Prompt = "Enter the value for PV37 - this is used together with PV25 to calc. "
                             "a measured PV25, range 0-999";
    const char* pv25Prompt = "Enter the value for PV25 - this is used together with PV37 to calc. "
                             "a measured PV25, range 0-999";
    const char* rows[] = {"Check", "Low", "High"};
    const char* keys[][2] = {{"PC_55", "PC_56"}, {"PC_57", "PC_58"}, {"PC_59", "PC_60"}};
    for (int row = 0; row < 3; ++row) {
        const QString name = QStringLiteral("txt_") + QLatin1String(rows[row]);
        Edit pv37 = pvValue(pv37Prompt);
        if (row == 0)
            pv37.enterFocus = QStringLiteral("txt_Check_PV25");
        s.push_back(edit(name + "_PV37", {g, row, 0}, rows[row], pc(keys[row][0]), Fixed3, 7,
                         "Range 0-999.999", pv37));
        s.push_back(edit(name + "_PV25", {g, row, 1}, rows[row], pc(keys[row][1]), Fixed3, 7,
                         "Range 0-999.999", pvValue(pv25Prompt)));
    }
}

void addGradient(std::vector<Setting>& s) {
    const char* g = "fra_gradient";
    const char* actualTip = "Range -999 to +999";
    const char* multiplierTip = "Range 0-999999";
    s.push_back(edit("txt_gradient_actual", {g, 0, 0}, "Gradient", pi("PI_27"), Fixed10, 10,
                     actualTip,
                     calibration("Enter the gradient, range -999 to +999.  Note this will "
                                 "overwritten next calibration",
                                 C::Number, Fixed10, "txt_gradient_user", kMagnitude999)));
    s.push_back(edit(
        "txt_gradient_multiplier", {g, 0, 1}, "Gradient", pc("PC_03"), Fixed3, 7, multiplierTip,
        calibration("Enter the value to multiply the gradient actual by when "
                    "displaying to user",
                    C::Number, Fixed3, "txt_gradient_user", std::nullopt, T::Decimal)));
    s.push_back(product("txt_gradient_user", {g, 0, 2}, "Gradient", pi("PI_27"), pc("PC_03")));
    s.push_back(edit("txt_offset_actual", {g, 1, 0}, "Offset", pi("PI_28"), Fixed10, 10, actualTip,
                     calibration("Enter the offset, range -999 to +999.  Note this will "
                                 "overwritten next calibration",
                                 C::Number, Fixed10, "txt_offset_user", kMagnitude999)));
    s.push_back(edit("txt_offset_multiplier", {g, 1, 1}, "Offset", pc("PC_04"), Fixed3, 7,
                     multiplierTip,
                     calibration("Enter the value to multiply the offset actual by when "
                                 "displaying to user",
                                 C::Number, Fixed3, "txt_offset_user", std::nullopt, T::Decimal)));
    s.push_back(product("txt_offset_user", {g, 1, 2}, "Offset", pi("PI_28"), pc("PC_04")));
    s.push_back(edit("txt_Drift_actual", {g, 2, 0}, "Drift %", pi("PI_29"), PercentOfFactor, 10,
                     actualTip,
                     calibration("Enter the drift percentage, range -999 to +999.  Note this will "
                                 "overwritten next calibration",
                                 C::PlusOnePerCent, PercentOfFactor, nullptr, kMagnitude999)));
}

void addWashingTab(std::vector<Setting>& s) {
    const char* w = "fra_Wash_Additive";
    s.push_back(check("chk_wash_additive_used", {w, 0}, "Use Wash Additive", pi("PI_60"), Tick, -1,
                      "Tick to enforce daily wash additive"));
    s.push_back(edit("txt_Wash_Add_Date", {w, 1}, "Date last Wash Additive", pi("PI_65"), Date, 14,
                     kDateTip,
                     dateEdit("Blank out the field to cause the Wash Additive to be requested, or "
                              "enter date in format DD/MM/YY")));
    s.push_back(setToNow("cmd_Wash_Add_Date_Now", {w, 1, 1}, "txt_Wash_Add_Date"));

    const char* g = "fra_enforced_MAINTENANCE";
    const QString samples = QStringLiteral("Samples before Maintenance required");
    const QString hours = QStringLiteral("Hours before Maintenance required   (999.9 format, each "
                                         "0.1 is 6 minutes, 0 to turn off)");
    s.push_back(edit("txt_Maintenance_max_samples", {g, 0, 0}, samples, pi("PI_55"), Text, 4,
                     kRange9999,
                     digits(C::WholeDown, "Enter the maximum number of samples tested before "
                                          "enforced maintenance (cleaning) is required, range "
                                          "0-9999")));
    s.push_back(edit("txt_Maintenance_samples_since_last", {g, 0, 1}, samples, pi("PI_63"), Text, 4,
                     kRange9999,
                     digits(C::WholeDown, "Enter the number of samples since the last enforced "
                                          "maintenance (cleaning), range 0-9999")));
    s.push_back(edit("txt_date_last_maintenance", {g, 0, 2}, QString(), pi("PI_62"), Date, 14,
                     kDateTip,
                     dateEdit("Blank out the field to cause the Daily Maintenance (Cleaning) to be "
                              "done, or enter date in format DD/MM/YY",
                              "txt_Maintenance_hours_since_last")));
    s.push_back(edit("txt_Maintenance_max_hours", {g, 1, 0}, hours, pi("PI_56"), Tenths, 5,
                     "Range 0-999.9",
                     {T::Decimal, C::TenthsDown, kUpTo9999, "Valid range 0-999.9",
                      "Enter the maximum number of elapsed hours before enforced maintenance "
                      "(cleaning) is required, 0 to turn off checking, range 0-999.9"}));
    s.push_back(
        readOnly("txt_Maintenance_hours_since_last", {g, 1, 1}, hours, pi("PI_62"), HoursSince));
    s.push_back(setToNow("cmd_date_last_maintenance_now", {g, 1, 2}, "txt_date_last_maintenance"));
    s.push_back(edit("txt_maintenance_time_of_day", {g, 2, 0, false},
                     "Time in day for Maintenance (0 to turn off)", pi("PI_88"), Whole, 2,
                     QString(),
                     {T::Digits, C::WholeDown, Range{.max = 23}, "Valid range 0-23",
                      "Enter the time of day after which enforced maintenance (cleaning) is "
                      "required, 0 to turn off checking, range 0-23",
                      Whole}));
    s.push_back(edit("txt_hours_cleaning_allowance", {g, 3, 0, false},
                     "Hours grace allowed after time-of-day or maximum elapsed time for cleaning",
                     pi("PI_89"), Whole, 2, "Range 0-99",
                     {T::Digits, C::Whole, Range{0, 99}, "Valid range 0-99",
                      "Enter the grace period since last cleaning before it is mandatory"}));
    s.push_back(check("chk_maintenance_enforced", {g, 4}, "Maintenance required at all",
                      pi("PI_61"), Tick, -1, "If not ticked then no cleaning is enforced"));
    s.push_back(check("chk_enzyme", {g, 5}, "Enzyme required", pi("PI_57"), TickIfPositive, 1,
                      "Tick to have 1 enzyme tube"));
    const auto tubes = [&](const char* name, int row, const char* text, const char* key,
                           const char* kind) {
        s.push_back(edit(name, {g, row, 0, false}, text, pi(key), Text, 1, "Range 0-9",
                         digits(C::Number, QStringLiteral("Enter the number of %1 tubes processed "
                                                          "in Daily Cleaning, range 0-9")
                                               .arg(QLatin1String(kind)))));
    };
    tubes("txt_steriliser_tubes", 6, "No. Steriliser tubes", "PI_58", "STERILISER");
    tubes("txt_water_tubes", 7, "No. Water Rinse tubes", "PI_59", "WATER RINSE");
}

void addTimer(std::vector<Setting>& s, const char* group, int row, int timer, Shown shown,
              int maxLength, const char* units) {
    const QString number = QString::number(timer);
    const QString timerName = QStringLiteral("Timer ") + number;
    s.push_back(named(edit(arrayName("txt_timer_name", timer), {group, row, 0}, number,
                           pc(QStringLiteral("PC_%1").arg(72 + timer)), Text, 30, "0-30 characters",
                           anyText("Enter the name of the timer, range 0-30 characters")),
                      timerName + QStringLiteral(" name")));
    const bool tenths = shown == Tenths;
    s.push_back(
        named(edit(arrayName("txt_params", 40 + timer), {group, row, 1}, number, param(40 + timer),
                   shown, maxLength, tenths ? "Range 0-999.9" : "Range 0-9999",
                   tenths ? tenthsParam() : wholeParam(9999)),
              timerName + QStringLiteral(" value")));
    s.push_back(label(arrayName("lbl_timer_units", timer), {group, row, 2}, units));
}

void addOtherTimers(std::vector<Setting>& s) {
    const char* g = "fra_timers_other";
    const auto other = [&](int number, int row, const char* text, const char* units) {
        s.push_back(edit(arrayName("txt_params", number), {g, row}, text, param(number), Whole, 4,
                         "Range 0-9999", wholeParam(9999)));
        s.push_back(label(arrayName("lbl_other_timer_units", number), {g, row, 1}, units));
    };
    other(59, 0, "Time for ENZYME clean", "mins");
    other(60, 1, "Time for STERILISER clean", "mins");
    other(40, 2, "Max time pumps running idle", "secs");
    s.push_back(edit("txt_wash_timeout", {g, 3},
                     "Minutes idle before pre-wash required again (0 to turn off)", pc("PC_12"),
                     Text, 3, "Range 0-999",
                     digits(C::Number, "Enter the elapsed time in minutes since last wash before "
                                       "a pre-wash is done prior to testing")));
}

// In the order the tab shows them, which is the Tab key's: the left half (0.1 second timers,
// then the other timers) before the right.
void addTimersTab(std::vector<Setting>& s) {
    for (int timer = 1; timer <= 8; ++timer)
        addTimer(s, "fra_timers_tenths", timer - 1, timer, Tenths, 5, "0.1 secs");
    addOtherTimers(s);
    for (int timer = 9; timer <= 18; ++timer) {
        if (timer <= 13)
            addTimer(s, "fra_timers_seconds", timer - 9, timer, Whole, 4, "secs");
        else
            addTimer(s, "fra_timers_minutes", timer - 14, timer, Whole, 4, "mins");
    }
}

QString valveKey(int valve) {
    return QStringLiteral("PC_%1").arg(valve <= 12 ? 60 + valve : 91 + valve);
}

void addValvesTab(std::vector<Setting>& s) {
    for (int valve = 1; valve <= 14; ++valve)
        s.push_back(edit(arrayName("txt_valve_name", valve), {"fra_valve_names", valve - 1},
                         QStringLiteral("Valve %1").arg(valve), pc(valveKey(valve)), Text, 15,
                         "0-15 characters",
                         anyText("Enter the name of the valve, range 0-15 characters")));
}

void addSwitchesTab(std::vector<Setting>& s) {
    const char* g = "sec_switches";
    s.push_back(bitBox(4, {g, 0}, "Wash level sensing", 4));
    s.push_back(bitBox(5, {g, 1}, "Waste level sensing", 8));
    s.push_back(bitBox(3, {g, 2}, "Bleeper on KR7", 2));
    s.push_back(bitBox(6, {g, 3}, "4x40 display fitted", 64));
    s.push_back(bitBox(7, {g, 4}, "OS1 and OS2 fitted", 128));
    // Heating control needs the temperature on the 4x40 display, and without heating there is
    // no temperature to report to the PC.
    Setting heating = bitBox(0, {g, 5}, "Temperature controlled by PIC", 1,
                             "Tick to enable PIC heating circuits (after PIC reset)");
    heating.bitsSetAlong = 32;
    heating.bitsClearedAlong = 16;
    s.push_back(heating);
    s.push_back(bitBox(1, {g, 6}, "Temperature reported to PC", 16,
                       "Tick to enable 1 second temp. readings (after PIC reset)"));
    s.push_back(bitBox(2, {g, 7},
                       "Temperature displayed on 4x40 (must be on if temperature reported to PC)",
                       32, "Must tick this if have temperature controled by PIC"));
    s.push_back(check("chk_ignore_OS5", {g, 8}, "Ignore OS5", pi("PI_44"), Tick, -1));
    s.push_back(check("Chk_eng_mode", {g, 9}, "Engineering Mode", pc("PC_10"), Tick, 1));
    s.push_back(check("Chk_PC_bell", {g, 10}, "Sound bell on PC", pc("PC_09"), Tick, 1));
    s.push_back(check("chk_Demo_Mode", {g, 11}, "Demo Mode", pc("PC_16"), Tick, -1,
                      "Tick to relax Wash Additive and initial CHECK"));
    s.push_back(check("chk_limit_temp", {g, 12},
                      "Limit PC to working within min/max temperature range", pc("PC_29"), Tick, 1,
                      "Tick to ensure PV tests are done within temp. range"));
    s.push_back(check("chk_disp_temp", {g, 13}, "Display temperature on PC", pc("PC_28"), Tick, -1,
                      "Tick to display temp. values on screen"));
    s.push_back(check("chk_password_for_explorer", {"fra_normally_on", 0},
                      "Prompt for password to use Explorer", pc("PC_41"), Tick, 1));
    s.push_back(check("chk_logon_details", {"fra_normally_on", 1},
                      "User has to logon to use KR7_Main", pc("PC_20"), Tick, 1));
    s.push_back(
        check("chk_simulation", {"fra_development", 0}, "KR7 Simulation", pc("PC_39"), Tick, 1));
}

void addDownloadsTab(std::vector<Setting>& s) {
    const char* d = "sec_download_dates";
    const QString pic = QStringLiteral("PIC configuration");
    const QString program = QStringLiteral("Program");
    s.push_back(edit("txt_PIC_config_download_date", {d, 0, 0}, pic, pi("PI_04"), Date, 14,
                     kDateTip,
                     dateEdit("Blank out the field to cause the PIC config. to be downloaded, or "
                              "enter date in format DD/MM/YY",
                              QString(), QString())));
    s.push_back(readOnly("txt_PIC_config_last_modified", {d, 0, 1}, pic, pi("PI_11"), Date, 18));
    s.push_back(
        edit("txt_Program_download_date", {d, 1, 0}, program, pi("PI_07"), Date, 14, kDateTip,
             dateEdit("Blank out the field to cause the RJP file to be downloaded, or enter "
                      "date in format DD/MM/YY")));

    const char* g = "sec_downloads";
    const QString anyLength = QStringLiteral("0-50 characters");
    s.push_back(readOnly("txt_Program", {g, 0}, "Program name", pi("PI_13"), Text, 50,
                         "Cannot change - set when download RJP file"));
    s.push_back(edit("txt_editor", {g, 1}, "Editor to use", pc("PC_37"), Text, 50,
                     "0-50 characters. Specifies which editor to use",
                     anyText("Enter the name of the editor used on site, 0-50 characters", true)));
    s.push_back(edit("txt_RJL_dir", {g, 2}, "RJL directory", pc("PC_25"), Text, 80,
                     "0-80 characters", anyText(anyLength, true)));
    s.push_back(edit("txt_RJP_dir", {g, 3}, "RJP directory", pc("PC_26"), Text, 80,
                     "0-80 characters", anyText(anyLength, true)));
    s.push_back(edit("txt_help_file_viewer", {g, 4}, "Help file viewer", pc("PC_13"), Text, 50,
                     "0-50 characters. Name of CHM file viewer on PC", anyText(anyLength, true)));
    s.push_back(readOnly("txt_time_drift", {g, 5}, "Time drift from PC when last checked (mins)",
                         pi("PI_09"), Whole, 18));
    s.push_back(edit("txt_mins_drift", {g, 6}, "Minutes drift allowed between PC and KR7",
                     pc("PC_30"), Text, 3, "Range 0-999",
                     {T::Digits, C::Whole, Range{0, 999}, "Valid range 0-999",
                      "Enter the maximum time drift in minutes before PIC clock is reset to PC "
                      "time, range 0-999"}));
    s.push_back(readOnly("txt_KR7_SW", {g, 7}, "PIC software version", pi("PI_02"), Text));
    s.push_back(readOnly("txt_KR7_SW_Date", {g, 8}, "Date software version last checked",
                         pi("PI_03"), Date));
}

void addOtherTab(std::vector<Setting>& s) {
    const char* g = "sec_other";
    s.push_back(edit("txt_Site_ID", {g, 0}, "Site No.", pc("PC_01"), Text, 4, "Range 1-9999",
                     {T::Digits, C::Whole, Range{1}, "Valid range 1-9999", "Range 1-9999"}));
    s.push_back(edit("txt_site_name", {g, 1}, "Site Name", pc("PC_02"), Text, 50, "0-50 characters",
                     anyText("Enter site name, 0-50 characters")));
    s.push_back(edit(
        "txt_KR7_Name", {g, 2}, "KR7 Name/description", pi("PI_30"), Text, 20, "0-20 characters",
        anyText("Enter user or location (on site) of KR7 system, 0-20 characters", true)));
    s.push_back(edit("txt_Comport", {g, 3}, "Comms port", pc("PC_05"), Text, 2, "Range 0-32",
                     {T::Digits, C::Whole, Range{1, 32}, "Valid range 1-32",
                      "Enter the serial port to use to talk to PIC board, range 1-32"}));
    Setting spreadsheet{"cbo_Spreadsheet_link", Kind::Combo, {g, 4},
                        "Spreadsheet link",     pc("PC_45"), ListPosition};
    spreadsheet.edit.prompt = QStringLiteral("Use dropdown to select option");
    spreadsheet.choices = {QStringLiteral("0 - None"), QStringLiteral("1 - Excel"),
                           QStringLiteral("2 - OpenOffice")};
    s.push_back(spreadsheet);
    const auto temperature = [&](int number, int row, const char* text, Temperature role,
                                 const char* crossRefusal) {
        s.push_back(edit(arrayName("txt_params", number), {g, row}, text, param(number), Tenths, 4,
                         "Range 0-99.9", temperatureParam(role, crossRefusal)));
    };
    temperature(102, 5, "Min. temperature ( deg.C)", Temperature::Minimum,
                "Min. temperature above target temperature");
    temperature(101, 6, "Target temperature (deg.C)", Temperature::Target,
                "Target temperature outside min/max temperature");
    temperature(103, 7, "Max. temperature ( deg.C)", Temperature::Maximum,
                "Max. temperature below target temperature");
    s.push_back(edit(arrayName("txt_params", 104), {g, 8},
                     "Lower Calibration resistor temperature value (e.g. 0.0)", param(104), Tenths,
                     4, "Value for 100 ohm resistor", tenthsParam()));
    s.push_back(edit(arrayName("txt_params", 105), {g, 9},
                     "Upper Calibration resistor termperature value (e.g. 38.6)", param(105),
                     Tenths, 4, "Value for 115 ohm resistor", tenthsParam()));

    const char* r = "fra_reduction_factor";
    s.push_back(edit("txt_Reduction_PV", {r, 0}, "PV Value below which reduction factor is applied",
                     pi("PI_32"), Fixed2, 4, "Range 0-99.9",
                     {T::Decimal, C::Number, Range{0, 99.9}, "Valid range 0-99.9",
                      "Enter the PV25 value below which the reduction percentage is applies, "
                      "range 0-99.9",
                      Fixed2}));
    s.push_back(
        edit("txt_Reduction_Percentage", {r, 1}, "Reduction percentage", pi("PI_31"), Percent, 3,
             "Range 0-100",
             {T::Digits, C::Fraction, Range{.max = 100, .on = RangeOn::Number}, "Valid range 0-100",
              "Enter the reduction percentage, range 0-100", Percent}));

    const char* b = "fra_barcode_letter";
    const std::pair<int, const char*> letters[] = {
        {22, "CHECK"},      {24, "LOW"},    {26, "HIGH"},          {28, "WASH"},
        {30, "STERILISER"}, {32, "ENZYME"}, {23, "WATER ADDITIVE"}};
    int row = 0;
    for (const auto& [number, text] : letters)
        s.push_back(edit(arrayName("txt_params", number), {b, row++, 0}, text, param(number), Text,
                         2, QString(), barcodeLetters()));
}

void addOtherFormsTab(std::vector<Setting>& s) {
    const char* g = "sec_other_forms";
    const std::pair<const char*, const char*> buttons[] = {
        {"CMD_messages", "Edit Messages"},
        {"cmd_results_all", "View Samples records"},
        {"cmd_calibration_data", "View Calibration records"},
        {"cmd_samples_clear", "Clear all Sample records"},
        {"cmd_RJL_Labels", "Set links to RJL labels"},
        {"cmd_cleaning_cycles", "Set cleaning cycles"},
        {"cmd_calibration_recs_clear", "Clear Calibration records"},
        {"cmd_qc_charts", "QC charts"},
        {"cmd_audit_trail", "View Audit trail"}};
    int row = 0;
    for (const auto& [name, caption] : buttons)
        s.push_back(button(name, {g, row++}, caption));
}

std::vector<Setting> buildSettings() {
    std::vector<Setting> s;
    addCheckTab(s);
    addCalibrationSchedule(s);
    addLastCalibration(s);
    addStandardPvValues(s);
    addGradient(s);
    addWashingTab(s);
    addTimersTab(s);
    addValvesTab(s);
    addSwitchesTab(s);
    addDownloadsTab(s);
    addOtherTab(s);
    addOtherFormsTab(s);
    return s;
}

} // namespace

const QStringList& tabCaptions() {
    static const QStringList captions = {QStringLiteral("1 : CHECK and dips"),
                                         QStringLiteral("2 : Calibration"),
                                         QStringLiteral("3 Washing / Wash Add."),
                                         QStringLiteral("4 : Timers"),
                                         QStringLiteral("5 : Valves"),
                                         QStringLiteral("6 : Switches"),
                                         QStringLiteral("7 : Downloads"),
                                         QStringLiteral("8 : Other"),
                                         QStringLiteral("9 : Other forms")};
    return captions;
}

std::span<const Group> groups() {
    static const std::vector<Group> table = buildGroups();
    return table;
}

std::span<const Setting> settings() {
    static const std::vector<Setting> table = buildSettings();
    return table;
}

const Setting& setting(const QString& name) {
    static const QHash<QString, const Setting*> byName = [] {
        QHash<QString, const Setting*> index;
        for (const Setting& s : settings())
            index.insert(s.name, &s);
        return index;
    }();
    const Setting* found = byName.value(name);
    if (!found)
        throw std::out_of_range("no setting named " + name.toStdString());
    return *found;
}

} // namespace kr7::config

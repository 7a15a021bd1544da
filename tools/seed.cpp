#include "seed.h"

#include "audit.h"
#include "common_procs.h"
#include "conversions.h"
#include "database.h"
#include "errors.h"
#include "schema.h"
#include "sqlite_db.h"

#include <QFileInfo>
#include <cmath>
#include <random>
#include <vector>

namespace kr7::seed {

namespace {

using Field = std::pair<QString, Value>;
using Record = std::vector<Field>;

Value t(const char* s) {
    return Value::text(QString::fromUtf8(s));
}
Value n(std::int64_t v) {
    return Value::whole(v);
}
Value f(double v) {
    return Value::floating(v);
}
Value yes(bool v) {
    return Value::yesNo(v);
}
Value d(const QDateTime& v) {
    return Value::date(v);
}

QString code(const char* prefix, int number) {
    return QStringLiteral("%1_%2").arg(QLatin1String(prefix)).arg(number, 2, 10, QLatin1Char('0'));
}

// An INSERT over the named fields of a table, each value fitted to its field.
class Inserter {
  public:
    Inserter(sql::Database& db, const QString& table, const QStringList& fields)
        : statement_(prepare(db, table, fields)) {
        for (const QString& field : fields)
            columns_.push_back(&store::columnOf(table, field));
    }

    void insert(const std::vector<Value>& values) {
        for (std::size_t i = 0; i < values.size(); ++i)
            statement_.bind(int(i + 1), store::fitForField(*columns_[i], values[i]));
        statement_.run();
        statement_.reset();
    }

  private:
    static sql::Statement prepare(sql::Database& db, const QString& table,
                                  const QStringList& fields) {
        QStringList quoted, marks;
        for (const QString& field : fields) {
            quoted << u'"' + store::columnOf(table, field).name + u'"';
            marks << QStringLiteral("?");
        }
        return db.prepare(QStringLiteral("INSERT INTO \"%1\" (%2) VALUES (%3)")
                              .arg(table, quoted.join(u','), marks.join(u',')));
    }

    sql::Statement statement_;
    std::vector<const schema::Column*> columns_;
};

void insertRecord(sql::Database& db, const QString& table, const Record& record) {
    QStringList fields;
    std::vector<Value> values;
    for (const auto& [field, value] : record) {
        fields << field;
        values.push_back(value);
    }
    Inserter(db, table, fields).insert(values);
}

const char* const kValveNames[14] = {
    "Sample pump",    "Wash pump",    "Waste pump",     "Drain valve",   "Sterilise valve",
    "Water valve",    "Enzyme valve", "Air valve",      "Bypass valve",  "Calibrant valve",
    "Pressure valve", "Vent valve",   "Spare valve 13", "Spare valve 14"};

const char* const kTimerNames[18] = {"Pump settle",
                                     "Valve settle",
                                     "Optical settle",
                                     "Drain pulse",
                                     "Air purge",
                                     "Sample draw",
                                     "Dip pause",
                                     "Pressure equalise",
                                     "Heating wait",
                                     "Washpot travel",
                                     "Barcode read",
                                     "Waste drain",
                                     "Runtime limit",
                                     "Pre-wash idle",
                                     "Temperature settle",
                                     "Calibrant age check",
                                     "Maintenance reminder",
                                     "Display sleep"};

Record pcConfiguration(const Options& o) {
    Record r = {
        {"PC_01", n(1)},
        {"PC_02", t(o.demo ? "Demo Laboratory" : "")},
        {"PC_03", f(100)},
        {"PC_04", f(1)},
        {"PC_05", n(1)},
        {"PC_09", yes(true)},
        {"PC_10", yes(false)},
        {"PC_12", f(30)},
        {"PC_13", t("hh.exe")},
        {"PC_16", yes(false)},
        {"PC_20", yes(false)},
        {"PC_25", t("C:\\Halvik\\KR7\\RJL\\")},
        {"PC_26", t("C:\\Halvik\\KR7\\RJP\\")},
        {"PC_28", yes(true)},
        {"PC_29", yes(true)},
        {"PC_30", f(5)},
        {"PC_37", t("notepad.exe")},
        {"PC_38", yes(false)},
        {"PC_39", yes(false)},
        {"PC_41", yes(!o.demo)},
        {"PC_42", t("PV25")},
        {"PC_43", t("PV37")},
        {"PC_45", n(1)},
        {"PC_48", n(20)},
        {"PC_49", n(20)},
        {"PC_50", n(20)},
        {"PC_51", n(20)},
        {"PC_55", f(1.52)},
        {"PC_56", f(1.72)},
        {"PC_57", f(1.15)},
        {"PC_58", f(1.30)},
        {"PC_59", f(2.10)},
        {"PC_60", f(2.38)},
    };
    for (int v = 1; v <= 14; ++v)
        r.emplace_back(v <= 12 ? code("PC", 60 + v) : code("PC", 91 + v), t(kValveNames[v - 1]));
    for (int i = 1; i <= 18; ++i)
        r.emplace_back(code("PC", 72 + i), t(kTimerNames[i - 1]));
    return r;
}

Record picList(const Options& o) {
    const QDateTime& now = o.now;
    Record r = {
        {"PI_01", n(101)},
        {"PI_02", t("4.0f")},
        {"PI_03", d(now.addDays(-3))},
        {"PI_04", d(now.addDays(-30))},
        {"PI_07", d(now.addDays(-30))},
        {"PI_09", n(0)},
        {"PI_11", d(now.addDays(-31))},
        {"PI_13", t("KR7_standard.rjp")},
        {"PI_14", d(now.addSecs(-26 * 3600))},
        {"PI_15", n(12)},
        {"PI_16", d(now.addSecs(-5 * 3600))},
        {"PI_18", t("C2041187")},
        {"PI_45", f(1.72)},
        {"PI_19", f(1.52)},
        {"PI_20", n(2345)},
        {"PI_21", t("L2040311")},
        {"PI_46", f(1.30)},
        {"PI_22", f(1.15)},
        {"PI_23", n(1766)},
        {"PI_24", t("H2040422")},
        {"PI_47", f(2.38)},
        {"PI_25", f(2.10)},
        {"PI_26", n(3210)},
        {"PI_27", f(0.0123456789)},
        {"PI_28", f(-0.0021)},
        {"PI_29", f(1.0)},
        {"PI_30", t("KR7 bench 1")},
        {"PI_31", f(0.2)},
        {"PI_32", f(1.1)},
        {"PI_34", yes(true)},
        {"PI_35", n(240)},
        {"PI_38", n(50)},
        {"PI_39", n(90)},
        {"PI_43", yes(false)},
        {"PI_44", yes(false)},
        {"PI_48", t("1")},
        {"PI_49", n(0)},
        {"PI_50", t("1")},
        {"PI_52", t("1")},
        {"PI_53", n(500)},
        {"PI_54", n(1680)},
        {"PI_55", n(1000)},
        {"PI_56", n(1680)},
        {"PI_57", n(1)},
        {"PI_58", n(1)},
        {"PI_59", n(2)},
        {"PI_60", yes(true)},
        {"PI_61", yes(true)},
        {"PI_62", d(now.addDays(-6))},
        {"PI_63", n(100)},
        {"PI_65", d(now.addDays(-1))},
        {"PI_88", n(0)},
        {"PI_89", n(2)},
    };
    // Wash and dry seconds of the eight cleaning rows, then the three copies of cycle 1.
    const int washDry[8][2] = {{30, 20}, {15, 10},  {60, 30}, {30, 20},
                               {30, 20}, {120, 30}, {90, 30}, {45, 20}};
    for (int row = 0; row < 8; ++row) {
        r.emplace_back(code("PI", 66 + 2 * row), n(washDry[row][0]));
        r.emplace_back(code("PI", 67 + 2 * row), n(washDry[row][1]));
    }
    for (int copy = 0; copy < 3; ++copy) {
        r.emplace_back(code("PI", 82 + 2 * copy), n(washDry[0][0]));
        r.emplace_back(code("PI", 83 + 2 * copy), n(washDry[0][1]));
    }
    return r;
}

// Parameter number and value as entered; the hexadecimal copy follows from it.
std::vector<std::pair<int, Value>> picParams() {
    std::vector<std::pair<int, Value>> p = {
        {10, n(50)},   {11, n(0)},    {22, t("C")},  {23, t("A")}, {24, t("L")}, {26, t("H")},
        {28, t("W")},  {30, t("S")},  {32, t("E")},  {34, n(10)},  {40, n(120)}, {80, n(17)},
        {101, n(370)}, {102, n(300)}, {103, n(400)}, {104, n(0)},  {105, n(386)}};
    const int timers[20] = {15, 20, 5,  10, 30, 25, 8,   12, 30, 10,
                            5,  20, 90, 30, 10, 60, 120, 15, 30, 30};
    for (int i = 0; i < 20; ++i)
        p.emplace_back(41 + i, n(timers[i]));
    return p;
}

const char* const kMessages[][2] = {
    {"INSERT_SAMPLE", "Insert sample tube"},
    {"REMOVE_SAMPLE", "Remove sample tube"},
    {"SCAN_BARCODE", "Scan the tube barcode"},
    {"BARCODE_UNREADABLE", "Barcode not readable - try again"},
    {"CHECK_REQUIRED", "CHECK calibrant required"},
    {"CALIBRATION_REQUIRED", "Calibration required"},
    {"MAINTENANCE_REQUIRED", "Maintenance required"},
    {"WASH_ADDITIVE_REQUIRED", "Wash additive required today"},
    {"WASH_IN_PROGRESS", "Washing - please wait"},
    {"DRY_IN_PROGRESS", "Drying - please wait"},
    {"HEATING", "Warming up - please wait"},
    {"TEMP_OUT_OF_RANGE", "Temperature out of range"},
    {"TEST_IN_PROGRESS", "Test in progress"},
    {"RESULT_READY", "Result ready"},
    {"RESULT_OUT_OF_RANGE", "Result outside limits"},
    {"CALIBRANT_TOO_OLD", "Calibrant tube too old - replace"},
    {"CALIBRANT_EMPTY", "Calibrant tube has no dips left"},
    {"STERILISER_EMPTY", "Replace steriliser tube"},
    {"WATER_EMPTY", "Replace water rinse tube"},
    {"ENZYME_EMPTY", "Replace enzyme tube"},
    {"WASTE_FULL", "Waste container full"},
    {"WASH_EMPTY", "Wash container empty"},
    {"OPTICS_BLOCKED", "Optical sensor blocked"},
    {"PUMP_FAULT", "Pump fault - contact support"},
    {"PC_LINK_LOST", "Link to PC lost"},
};

const char* const kLabels[42] = {
    "PUMPS_ON",     "PUMPS_OFF",   "OPTOS_ON",     "OPTOS_OFF",    "STOP_ALL",     "GET_BARCODE",
    "CHECK_OPTOS",  "MOVE_OS1",    "MOVE_OS2",     "HEATING",      "GET_RUNTIME",  "WASHPOT_UP",
    "WASHPOT_DOWN", "DRAIN_STER",  "STER_WASH",    "STER_DRY",     "DRAIN_WATER",  "WATER_WASH",
    "WATER_DRY",    "ENZYME_SUCK", "ENZYME_WASH",  "ENZYME_DRY",   "DRAIN_CAL",    "WASH_CYCLE_1",
    "DRY_CYCLE_1",  "SPARE_26",    "SPARE_27",     "WASH_CYCLE_1", "DRY_CYCLE_1",  "WASH_CYCLE_1",
    "DRY_CYCLE_1",  "EQUALISE",    "WASH_CYCLE_1", "WASH_CYCLE_2", "WASH_CYCLE_3", "WASH_CYCLE_4",
    "WASH_CYCLE_5", "DRY_CYCLE_1", "DRY_CYCLE_2",  "DRY_CYCLE_3",  "DRY_CYCLE_4",  "DRY_CYCLE_5"};

const char* const kCycleDescriptions[5] = {"Standard clean", "Quick rinse", "Deep clean", "", ""};

void insertStartingRecords(sql::Database& db, const Options& o) {
    insertRecord(db, schema::PC_Configuration, pcConfiguration(o));
    insertRecord(db, schema::PIC_list, picList(o));
    Inserter params(db, schema::PIC_Params, {"PIC_01", "PIC_03", "PIC_04"});
    for (const auto& [number, value] : picParams()) {
        const auto encoded = encodePicParam(value);
        params.insert({n(number), encoded->entered, Value::text(encoded->hex)});
    }
    Inserter messages(db, schema::Messages, {"ME_01", "ME_02", "ME_03", "ME_04", "ME_05"});
    int number = 0;
    for (const auto& [ref, text] : kMessages) {
        ++number;
        messages.insert({n(number), t(ref), t(text), t(text), yes(true)});
    }
    Inserter labels(db, schema::Labels_wanted, {"LN_01", "LN_03", "LN_04"});
    for (int slot = 1; slot <= 42; ++slot) {
        const bool cycleWash = slot >= 33 && slot <= 37;
        labels.insert({n(slot), t(kLabels[slot - 1]),
                       cycleWash ? t(kCycleDescriptions[slot - 33]) : Value::null()});
    }
}

void insertCalibrantTubes(sql::Database& db, const QDateTime& now) {
    Inserter tubes(db, schema::Calibration_data,
                   {"CD_02", "CD_03", "CD_04", "CD_07", "CD_09", "CD_10"});
    const char* const kinds = "CLH";
    for (int i = 0; i < 12; ++i) {
        const QDateTime filled = now.addDays(-40 + 3 * i);
        const bool drained = i < 4;
        tubes.insert(
            {Value::text(
                 QStringLiteral("%1%2").arg(QLatin1Char(kinds[i % 3])).arg(2040100 + 37 * i)),
             d(filled.addDays(2)), d(filled), yes(drained), n(drained ? 0 : 3 + i),
             drained ? d(filled.addDays(5)) : Value::null()});
    }
}

// The stated PV25 and PV37 of each calibrant level, as the starting configuration has them.
struct Calibrant {
    int recType;
    double pv25;
    double pv37;
};
constexpr Calibrant kCalibrants[] = {{2, 1.72, 1.52}, {3, 1.30, 1.15}, {4, 2.38, 2.10}};

const Calibrant* calibrantOf(int recType) {
    for (const Calibrant& c : kCalibrants)
        if (c.recType == recType)
            return &c;
    return nullptr;
}

// A calibrant run as a quality control chart should find it: scattered about the level's
// stated value (CV 1.2 %), drifting upwards by up to 2.5 SD over the last five days, and
// now and then an outlier beyond 3 SD. The factor applies to both results of the run.
constexpr double kCalibrantCv = 0.012;
constexpr double kDriftDays = 5;

double calibrantFactor(std::mt19937& random, std::int64_t index, double daysOld) {
    double z = std::normal_distribution<double>(0, 1)(random);
    if (daysOld < kDriftDays)
        z += 2.5 * (kDriftDays - daysOld) / kDriftDays;
    if (index % 89 == 41)
        z = 4.2;
    else if (index % 137 == 70)
        z = -4;
    return 1 + z * kCalibrantCv;
}

double toThousandths(double x) {
    return std::round(x * 1000) / 1000;
}

// The fields of one result in the order both results tables share.
struct ResultMaker {
    std::mt19937 random;
    QDateTime newest;

    std::vector<Value> make(std::int64_t index, int recType) {
        const int jitter = std::uniform_int_distribution<int>(0, 99)(random);
        return make(index, recType, newest.addSecs(-index * 637 - jitter));
    }

    std::vector<Value> make(std::int64_t index, int recType, const QDateTime& tested) {
        std::uniform_real_distribution<double> pv(1.05, 2.05);
        std::uniform_int_distribution<int> percent(0, 99);
        const bool missing = percent(random) < 5;
        double pv1 = missing ? 0 : pv(random);
        double pv2 = missing ? 0 : pv1 * 0.87;
        double low = 1.50, high = 1.72;
        if (const Calibrant* c = calibrantOf(recType)) {
            const double factor =
                calibrantFactor(random, index, double(tested.secsTo(newest)) / 86400);
            pv1 = missing ? 0 : toThousandths(c->pv25 * factor);
            pv2 = missing ? 0 : toThousandths(c->pv37 * factor);
            low = toThousandths(c->pv25 * 0.95);
            high = toThousandths(c->pv25 * 1.05);
        }
        static const char* const notes[] = {
            "", "", "", "Haemolysed", "Repeat requested", "Low volume", "Clot detected"};
        const int lims = percent(random) % 4;
        return {
            Value::text(recType == 1 ? QStringLiteral("Patient %1").arg(index % 5000) : QString()),
            Value::text(QStringLiteral("%1%2")
                            .arg(QLatin1Char("XPCLHOOOOOOOO"[recType]))
                            .arg(1000000 + index)),
            Value::text(missing ? QString() : conv::formatNumber(pv1, u"0.00")),
            Value::text(missing ? QString() : conv::formatNumber(pv2, u"0.00")),
            n(missing ? 0 : 1500 + percent(random) * 17),
            t(notes[percent(random) % 7]),
            t(percent(random) < 10 ? "Checked by supervisor" : ""),
            d(tested),
            Value::text(lims == 0 ? QString() : QStringLiteral("LIMS %1").arg(lims)),
            t("AB"),
            t("A Brown"),
            n(recType),
            f(low),
            f(high),
            f(pv1),
            f(pv2),
            n(101),
            n(lims)};
    }
};

const QStringList kSampleFields = {"SA_17", "SA_02", "SA_06", "SA_18", "SA_24", "SA_15",
                                   "SA_03", "SA_04", "SA_23", "SA_31", "SA_30", "SA_08",
                                   "SA_21", "SA_22", "SA_11", "SA_12", "SA_19", "SA_09"};

QStringList oldSampleFields() {
    QStringList names;
    for (const auto& column : schema::findTable(schema::Samples_old)->columns)
        names << column.name;
    return names;
}

// Record types as the results browser filters them, with the unfiltered ones among them.
constexpr int kRecordTypes[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};

void insertDemoResults(sql::Database& db, const QDateTime& now) {
    ResultMaker maker{std::mt19937(7), now};
    Inserter current(db, schema::Samples, kSampleFields);
    Inserter old(db, schema::Samples_old, oldSampleFields());
    std::int64_t index = 0;
    for (int round = 0; round < 300; ++round)
        for (const int type : kRecordTypes)
            (round < 200 ? current : old).insert(maker.make(index++, type));
}

} // namespace

void createDatabase(const QString& path, const Options& options) {
    if (QFileInfo::exists(path))
        throw Error(errnum::FileError,
                    QStringLiteral("%1 already exists; it is left as it is").arg(path));
    auto db = sql::Database::open(path, sql::Database::Mode::Create);
    db.exec(QStringLiteral("PRAGMA journal_mode=WAL"));
    schema::create(db);
    sql::inWriteTransaction(db, [&] {
        audit::ensureTrail(db);
        insertStartingRecords(db, options);
        if (options.demo) {
            insertCalibrantTubes(db, options.now);
            insertDemoResults(db, options.now);
        }
    });
}

std::int64_t appendResults(sql::Database& db, std::int64_t count, std::uint32_t seed,
                           const QDateTime& newest) {
    ResultMaker maker{std::mt19937(seed), newest};
    std::uniform_int_distribution<int> pick(0, 19);
    sql::inWriteTransaction(db, [&] {
        Inserter current(db, schema::Samples, kSampleFields);
        for (std::int64_t i = 0; i < count; ++i) {
            const int p = pick(maker.random);
            current.insert(maker.make(i, p < 8 ? 1 : kRecordTypes[p - 8]));
        }
    });
    return count;
}

std::int64_t appendCalibrantRuns(sql::Database& db, std::int64_t perLevel, std::uint32_t seed,
                                 const QDateTime& newest, int days) {
    ResultMaker maker{std::mt19937(seed), newest};
    const double spacing = days * 86400.0 / double(std::max<std::int64_t>(perLevel, 1));
    sql::inWriteTransaction(db, [&] {
        Inserter current(db, schema::Samples, kSampleFields);
        for (std::int64_t i = 0; i < perLevel; ++i)
            for (const Calibrant& c : kCalibrants)
                current.insert(maker.make(
                    i, c.recType, newest.addSecs(-std::int64_t(i * spacing) - c.recType * 60)));
    });
    return perLevel * std::int64_t(std::size(kCalibrants));
}

} // namespace kr7::seed

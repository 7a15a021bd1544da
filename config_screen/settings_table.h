#pragma once

#include <QString>
#include <QStringList>
#include <limits>
#include <optional>
#include <span>

// The configuration screen described as data: every control, where it sits, what it shows
// and how it is edited. Building the tabs, the load, the field commits and the close-time
// save all walk these tables, so a setting is described once.
namespace kr7::config {

// Where a setting is stored.
struct Key {
    enum class Store { None, PcConfig, PicList, PicParam };
    Store store = Store::None;
    QString field; // PC_nn or PI_nn
    int param = 0; // the PIC parameter number

    bool isParam() const { return store == Store::PicParam; }
    bool operator==(const Key&) const = default;
};
Key pc(QString field);
Key pi(QString field);
Key param(int number);

enum class Kind { Edit, ReadOnly, Check, Combo, Button, Label };

// How a stored value is shown when the screen loads.
enum class Shown {
    Nothing,
    Text,            // the value as text
    Whole,           // "0"
    Tenths,          // stored tenths, "0.0"
    Fixed2,          // "0.00"
    Fixed3,          // "0.000"
    Fixed10,         // "0.0000000000"
    Date,            // "dd/mm/yy hh:mm"
    HoursSince,      // hour boundaries from the stored date to now
    Percent,         // a stored fraction, "0%"
    PercentOfFactor, // a stored factor minus 1, "0%"
    Product,         // key times factor, "0.00"
    Tick,            // ticked when true
    TickIfPositive,  // ticked when above 0
    Bit,             // ticked when the bit is set in the 32-bit word
    ListPosition,    // the list entry at the stored position
};

// Characters a field accepts from the keyboard.
enum class Typing { None, Digits, Decimal, Signed, Date, Any };

// How a field's text becomes the value written.
enum class Conversion {
    None,
    Number,         // the leading number of the text
    Whole,          // rounded, a half to the even neighbour
    WholeDown,      // rounded down
    Tenths,         // times 10, rounded half to even
    TenthsDown,     // times 10, rounded down
    Fraction,       // divided by 100 (a percentage stored as a fraction)
    PlusOnePerCent, // divided by 100, plus 1 (a drift percentage stored as a factor)
    Text,           // unchanged
    Date,           // null when empty, the text when it reads as a date
};

// Which value a range bounds: the number read from the text or the converted value.
enum class RangeOn { Number, Converted };

struct Range {
    double min = -std::numeric_limits<double>::infinity();
    double max = std::numeric_limits<double>::infinity();
    RangeOn on = RangeOn::Converted;
};

// The cross check of a temperature against the screen's temperature limits.
enum class Temperature { None, Minimum, Target, Maximum };

// The field editing protocol's description of one editable control.
struct Edit {
    Typing typing = Typing::None;
    Conversion conversion = Conversion::None;
    std::optional<Range> range;
    QString refusal;
    QString prompt;
    Shown reshow = Shown::Nothing; // the pattern the stored value is shown with after a write
    // The read-only field that shows something of this one's stored value (hours since the
    // date, actual value times multiplier); filled again, as the load fills it, after a
    // write. For a "Set to Now" button: the date field it stamps.
    QString partner;
    bool promptStays = false; // the prompt line is not cleared after the write
    Temperature temperature = Temperature::None;
    QString enterFocus; // where Enter sends the focus when not to cmd_dummy
    QString temperatureRefusal;
};

// Where a control sits: its group, its row in the group's grid (-1: the heading row itself)
// and its field column, and whether it stands under that column's heading.
struct Place {
    const char* group = "";
    int row = 0;
    int column = 0;
    bool underHeading = true;
};

struct Setting {
    QString name; // the objectName
    Kind kind = Kind::Edit;
    Place place{};
    QString label; // row label; a check box's, button's or label's own text
    Key key;
    Shown shown = Shown::Nothing;
    int maxLength = 0;
    QString toolTip;
    Edit edit;
    Key factor;               // Shown::Product: the multiplier
    int bit = 0;              // Shown::Bit: the bit value
    int bitsSetAlong = 0;     // Shown::Bit: set with this box's bit when it is ticked
    int bitsClearedAlong = 0; // Shown::Bit: cleared with it when the box is cleared
    int onValue = 0;          // Kind::Check: the value written when a press ticks the box
    QStringList choices;      // Kind::Combo: the list, entry n standing for value n
    QString accessibleName;   // only where the row label and heading do not name the field
};

// A frame on a tab (or a plain section when it has no caption), laid out as a grid of row
// labels and column headings.
struct Group {
    const char* id; // the frame's objectName
    int tab;        // 0 to 8
    int pane;       // 0: left half of the tab, 1: right half
    QString caption;
    QStringList headings;
    QString note;
};

// The nine tab captions, in order.
const QStringList& tabCaptions();
std::span<const Group> groups();
std::span<const Setting> settings();
// The setting of that objectName; throws std::out_of_range when there is none.
const Setting& setting(const QString& name);

// The objectName of a control array element: "txt_params(10)".
QString arrayName(const char* array, int index);

} // namespace kr7::config

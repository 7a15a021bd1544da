#include "grid_messages.h"

#include "common_procs.h"
#include "conversions.h"
#include "database.h"
#include "error_report.h"
#include "record_grid_view.h"
#include "record_screen.h"
#include "schema.h"
#include "services.h"
#include "trap.h"
#include "widget_colours.h"

#include <QFocusEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <cmath>

namespace kr7 {

namespace {

const QString kScreenName = QStringLiteral("grid_Messages : ");
const QString kDesignCaption =
    QStringLiteral("Messages displayed by software, either on PC or 4x40");
const QColor kDisabledGrey{224, 224, 224};
constexpr int kMessageWidth = 240;

GridColumn messageColumn(const char* key, const char* title, int width, bool editable,
                         bool checkBox = false) {
    GridColumn column{QString::fromLatin1(key), QString::fromLatin1(title), width};
    if (editable) {
        column.style.background = kEditablePaleGreen;
        column.style.checkBox = checkBox;
        column.maxLength = store::columnOf(schema::Messages, column.key).size;
    }
    return column;
}

std::vector<GridColumn> messageColumns() {
    return {messageColumn("ME_01", "Ref", 35, false),
            messageColumn("ME_02", "Ref used by program", 200, false),
            messageColumn("ME_03", "Message displayed", kMessageWidth, true),
            messageColumn("ME_04", "English", kMessageWidth, true),
            messageColumn("ME_05", "Download", 60, true, true)};
}

const QStringList kEditableKeys = {QStringLiteral("ME_03"), QStringLiteral("ME_04"),
                                   QStringLiteral("ME_05")};

int messageCount() {
    return recordCount(schema::Messages);
}

void clearChangeMarker() {
    update_PC_Config_value(QStringLiteral("PC_34"), Value::null());
}

// The record a grid row shows, by its number and reference together: a number that an older
// program gave twice must never let an edit or a deletion reach the other record.
store::Record rowRecord(const Value& number, const Value& reference) {
    return {schema::Messages,
            {{QStringLiteral("ME_01"), number}, {QStringLiteral("ME_02"), reference}},
            QStringLiteral("ME_02")};
}

bool updateMessage(const QString& field, const Value& value, const Value& number,
                   const Value& reference) {
    return store::change(Get_connection(), [&](store::Changes& changes) {
        const store::Record record = rowRecord(number, reference);
        if (!changes.exists(record))
            return false;
        changes.setField(record, field, value);
        return true;
    });
}

void deleteMessage(const Value& number, const Value& reference) {
    sql::Database db = openSecondConnection();
    store::change(db, [&](store::Changes& changes) {
        changes.deleteRecord(rowRecord(number, reference), QStringLiteral("ME_02"));
    });
}

// The new record's number is one above the highest, so that it never meets a number still
// in use after a deletion.
void addMessage(const QString& reference, const QString& message) {
    sql::Database& db = Get_connection();
    store::change(db, [&](store::Changes& changes) {
        auto highest =
            db.prepare(QStringLiteral("SELECT coalesce(max(ME_01), 0) + 1 FROM T_Messages"));
        highest.step();
        const Value number = highest.column(0);
        changes.addRecord({schema::Messages, {{QStringLiteral("ME_01"), number}}},
                          {{QStringLiteral("ME_01"), number},
                           {QStringLiteral("ME_02"), Value::text(reference)},
                           {QStringLiteral("ME_03"), Value::text(message)},
                           {QStringLiteral("ME_04"), Value::text(message)},
                           {QStringLiteral("ME_05"), Value::yesNo(false)}});
    });
}

// Jet compared texts without regard to case; so does the search for a reference on file.
bool referenceOnFile(const QString& reference) {
    auto find = Get_connection().prepare(
        QStringLiteral("SELECT 1 FROM T_Messages WHERE ME_02 = ?1 COLLATE NOCASE LIMIT 1"));
    find.bind(1, Value::text(reference));
    return find.step();
}

bool isEnter(const QEvent* event) {
    if (event->type() != QEvent::KeyPress)
        return false;
    const int key = static_cast<const QKeyEvent*>(event)->key();
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

// A focus change inside the window; the window's own activation or a popup is none.
bool isFocusMove(const QEvent* event, QEvent::Type type) {
    if (event->type() != type)
        return false;
    const Qt::FocusReason reason = static_cast<const QFocusEvent*>(event)->reason();
    return reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason;
}

QPushButton* navigationButton(const char* name, const char* caption, const char* tip) {
    auto* button = new QPushButton(QString::fromLatin1(caption));
    button->setObjectName(QString::fromLatin1(name));
    button->setToolTip(QString::fromLatin1(tip));
    button->setAccessibleDescription(button->toolTip());
    return button;
}

QLabel* namedLabel(const char* name, const QString& text = {}) {
    auto* label = new QLabel(text);
    label->setObjectName(QString::fromLatin1(name));
    return label;
}

QLineEdit* entryBox(const char* name, int maxLength) {
    auto* box = new QLineEdit;
    box->setObjectName(QString::fromLatin1(name));
    box->setMaxLength(maxLength);
    return box;
}

} // namespace

grid_Messages::grid_Messages(QWidget* owner)
    : QWidget(owner, Qt::Window), iGrid_Messages_(new RecordGridView),
      cmdFirst_(navigationButton("cmdFirst", "First", "Go to first record")),
      cmdPrev_(navigationButton("cmdPrev", "Previous", "Go to previous record")),
      cmdNext_(navigationButton("cmdNext", "Next", "Go to next record")),
      cmdLast_(navigationButton("cmdLast", "Last", "Go to last record")),
      cmdAddRec_(navigationButton("cmdAddRec", "Add", "Click here to Add record")),
      cmdDelRec_(navigationButton("cmdDelRec", "Delete",
                                  "Highlight row by clicking on the REF box for that row then "
                                  "click here to Delete record")),
      txt_new_ref_(entryBox("txt_new_ref", 30)), txt_new_message_(entryBox("txt_new_message", 40)),
      lbl_num_recs_(namedLabel("lbl_num_recs")),
      lbl_already_on_file_(
          namedLabel("lbl_already_on_file", QStringLiteral("Record already on file"))),
      lbl_max_recs_on_file_(
          namedLabel("lbl_max_recs_on_file", QStringLiteral("Maximum records on file"))) {
    setObjectName(QStringLiteral("grid_Messages"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(kDesignCaption);
    iGrid_Messages_->setObjectName(QStringLiteral("iGrid_Messages"));
    iGrid_Messages_->setAccessibleName(QStringLiteral("Messages"));
    lbl_already_on_file_->hide();
    lbl_max_recs_on_file_->hide();

    auto* refLabel = namedLabel("lbl_new_ref", QStringLiteral("Ref"));
    auto* messageLabel = namedLabel("lbl_new_message", QStringLiteral("Message"));
    refLabel->setBuddy(txt_new_ref_);
    messageLabel->setBuddy(txt_new_message_);
    txt_new_ref_->setAccessibleName(refLabel->text());
    txt_new_message_->setAccessibleName(messageLabel->text());
    auto* hint = namedLabel("Label1", QStringLiteral("You can change the text in the green boxes "
                                                     "by clicking in them. Remember to press "
                                                     "ENTER to finish a change."));
    hint->setWordWrap(true);

    auto* commands = new QHBoxLayout;
    for (QWidget* w : std::initializer_list<QWidget*>{cmdFirst_, cmdPrev_, cmdNext_, cmdLast_,
                                                      cmdAddRec_, cmdDelRec_, refLabel,
                                                      txt_new_ref_, messageLabel, txt_new_message_})
        commands->addWidget(w);
    auto* notices = new QHBoxLayout;
    notices->addWidget(lbl_num_recs_);
    notices->addWidget(lbl_already_on_file_);
    notices->addWidget(lbl_max_recs_on_file_);
    notices->addStretch();
    auto* layout = new QVBoxLayout(this);
    // The grid sits 12 twips in from the left and ends 12 twips above the bottom.
    const int edge = std::max(1, int(12 / twipsPerPixel(this)));
    layout->setContentsMargins(edge, edge, 0, edge);
    layout->addWidget(hint);
    layout->addLayout(commands);
    layout->addLayout(notices);
    layout->addWidget(iGrid_Messages_, 1);

    RecordGridModel& grid = iGrid_Messages_->grid();
    grid.setEditRequest(
        [&grid](int, int column) { return kEditableKeys.contains(grid.column(column).key); });
    grid.setBeforeCommit([this](int row, int column, const Value& newValue) {
        return iGrid_Messages_BeforeCommitEdit(row, column, newValue);
    });
    connect(cmdFirst_, &QPushButton::clicked, this, [this] { goToRow(0); });
    connect(cmdLast_, &QPushButton::clicked, this,
            [this] { goToRow(iGrid_Messages_->grid().gridRowCount() - 1); });
    connect(cmdNext_, &QPushButton::clicked, this,
            [this] { goToRow(iGrid_Messages_->currentRow() + 1); });
    connect(cmdPrev_, &QPushButton::clicked, this, [this] {
        if (iGrid_Messages_->currentRow() > 0)
            goToRow(iGrid_Messages_->currentRow() - 1);
    });
    connect(cmdAddRec_, &QPushButton::clicked, this, &grid_Messages::cmdAddRec_Click);
    connect(cmdDelRec_, &QPushButton::clicked, this, &grid_Messages::cmdDelRec_Click);
    txt_new_ref_->installEventFilter(this);
    txt_new_message_->installEventFilter(this);
}

void grid_Messages::Form_Load() {
    const Trap trap(kScreenName + QStringLiteral("form_load"));
    const int count = trap.value<int>(messageCount, 0);
    if (count == 0) {
        setWindowTitle(QStringLiteral("Messages : none on file"));
    } else {
        showCount(conv::strNumber(count) + QStringLiteral(" /"));
        trap.run([this] { layOutGrid(); });
    }
    Enable_new_entry(false);
    show();
    iGrid_Messages_->setFocus();
    lbl_max_recs_on_file_->setVisible(count == kMaxRecords);
}

// Columns as on opening when the grid has none yet (the table was empty then), then every
// record in reference order.
void grid_Messages::layOutGrid() {
    RecordGridModel& grid = iGrid_Messages_->grid();
    const bool firstLayout = grid.columnCount() == 0;
    {
        RedrawPause pause(grid);
        if (firstLayout)
            for (GridColumn& column : messageColumns())
                grid.addColumn(std::move(column));
        grid.fill(
            Get_connection().prepare(QStringLiteral("SELECT * FROM T_Messages ORDER BY ME_02")));
    }
    if (!firstLayout)
        return;
    setWindowTitle(kDesignCaption);
    const double tpp = twipsPerPixel(this);
    designWidthTwips_ = grid.visibleColumnsWidth() * tpp + 330;
    sizeForRows(this, iGrid_Messages_, int((designWidthTwips_ + 140) / tpp), grid.gridRowCount());
}

void grid_Messages::showCount(const QString& count) {
    lbl_num_recs_->setText(QStringLiteral("No. Recs =") + count + conv::strNumber(kMaxRecords));
}

void grid_Messages::Enable_new_entry(bool enabled) {
    for (QLineEdit* box : {txt_new_ref_, txt_new_message_}) {
        box->setEnabled(enabled);
        setFieldBackground(box, enabled ? kFieldWhite : kDisabledGrey);
        box->clear();
    }
    lbl_already_on_file_->hide();
}

// The two message columns share what the window has beyond its opening width.
void grid_Messages::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (designWidthTwips_ <= 0)
        return;
    const double tpp = twipsPerPixel(this);
    const double excess = width() * tpp - designWidthTwips_;
    RecordGridModel& grid = iGrid_Messages_->grid();
    const int width =
        grid.scaledWidth(kMessageWidth) + (excess > 0 ? int(std::trunc(excess) / 2 / tpp) : 0);
    grid.setColumnWidth(keyColumn("ME_03"), width);
    grid.setColumnWidth(keyColumn("ME_04"), width);
}

void grid_Messages::goToRow(int row) {
    const int rows = iGrid_Messages_->grid().gridRowCount();
    if (row < 0 || row >= rows)
        return;
    iGrid_Messages_->setCurrentCell(row, std::max(0, iGrid_Messages_->currentColumn()));
}

int grid_Messages::keyColumn(const char* key) const {
    return iGrid_Messages_->grid().columnIndex(QString::fromLatin1(key));
}

std::optional<Value> grid_Messages::iGrid_Messages_BeforeCommitEdit(int row, int column,
                                                                    const Value& newValue) {
    const RecordGridModel& grid = iGrid_Messages_->grid();
    const QString field = grid.column(column).key;
    const auto value = changedValue(schema::Messages, field, grid.cellValue(row, column), newValue);
    if (!value)
        return std::nullopt;
    const Trap trap(kScreenName + QStringLiteral("iGrid_Messages_BeforeCommitEdit"));
    trap.run(clearChangeMarker);
    bool found = false;
    const Value number = grid.cellValue(row, keyColumn("ME_01"));
    const Value reference = grid.cellValue(row, keyColumn("ME_02"));
    if (!trap.run([&] { found = updateMessage(field, *value, number, reference); }))
        return std::nullopt;
    if (!found) {
        services().prompter->ask({QStringLiteral("Message record not found"), kErrorBoxTitle,
                                  Icon::Critical, Buttons::Ok});
        return std::nullopt;
    }
    return value;
}

void grid_Messages::cmdDelRec_Click() {
    RecordGridModel& grid = iGrid_Messages_->grid();
    const int row = iGrid_Messages_->currentRow();
    if (row < 0 || row >= grid.gridRowCount())
        return;
    const Value number = grid.cellValue(row, keyColumn("ME_01"));
    const Value reference = grid.cellValue(row, keyColumn("ME_02"));
    const Answer answer = services().prompter->ask(destructiveQuestion(
        QStringLiteral("Do you really want to delete '") + reference.toText() + u'\'',
        kProgramTitle));
    if (answer != Answer::Yes)
        return;
    const Trap trap(kScreenName + QStringLiteral("cmdDelRec_Click"));
    // A deletion that failed leaves the row on screen: the grid shows what is on file.
    if (!trap.run([&] { deleteMessage(number, reference); }))
        return;
    const int currentColumn = iGrid_Messages_->currentColumn();
    grid.removeGridRow(row);
    const int rows = grid.gridRowCount();
    lbl_num_recs_->setText(QStringLiteral("No. Recs =") + conv::strNumber(rows) +
                           QStringLiteral("/127"));
    if (rows > 0)
        iGrid_Messages_->setCurrentCell(std::min(row, rows - 1), std::max(0, currentColumn));
    iGrid_Messages_->setFocus();
    trap.run(clearChangeMarker);
}

void grid_Messages::cmdAddRec_Click() {
    if (messageCount() == kMaxRecords)
        return;
    Enable_new_entry(true);
    txt_new_ref_->setFocus();
}

bool grid_Messages::eventFilter(QObject* watched, QEvent* event) {
    if (inEntryHandler_ || (watched != txt_new_ref_ && watched != txt_new_message_))
        return QWidget::eventFilter(watched, event);
    auto* box = static_cast<QLineEdit*>(watched);
    const bool isRef = box == txt_new_ref_;
    if (isFocusMove(event, QEvent::FocusIn)) {
        setFieldBackground(box, kEditingYellow);
        txt_new_message_->clear();
        if (isRef)
            txt_new_ref_->clear();
    } else if (isEnter(event)) {
        (isRef ? static_cast<QWidget*>(txt_new_message_) : cmdLast_)->setFocus();
        return true;
    } else if (isFocusMove(event, QEvent::FocusOut)) {
        inEntryHandler_ = true;
        setFieldBackground(box, kFieldWhite);
        if (isRef)
            txt_new_ref_LostFocus();
        else
            txt_new_message_LostFocus();
        inEntryHandler_ = false;
    }
    return QWidget::eventFilter(watched, event);
}

void grid_Messages::txt_new_ref_LostFocus() {
    if (txt_new_ref_->text().trimmed().isEmpty()) {
        Enable_new_entry(false);
        iGrid_Messages_->setFocus();
        return;
    }
    txt_new_ref_->setText(txt_new_ref_->text().toUpper());
    const QString reference = txt_new_ref_->text();
    const Trap trap(kScreenName + QStringLiteral(" txt_new_ref_LostFocus"));
    if (!trap.value<bool>([&] { return referenceOnFile(reference); }, false)) {
        lbl_already_on_file_->hide();
        txt_new_message_->setFocus();
        return;
    }
    Enable_new_entry(false);
    lbl_already_on_file_->show();
    iGrid_Messages_->setCurrentCell(gridRowOfReference(reference), 0);
    iGrid_Messages_->setFocus();
}

int grid_Messages::gridRowOfReference(const QString& reference) const {
    const RecordGridModel& grid = iGrid_Messages_->grid();
    const int column = keyColumn("ME_02");
    for (int row = 0; column >= 0 && row < grid.gridRowCount(); ++row)
        if (grid.cellValue(row, column).toText().compare(reference, Qt::CaseInsensitive) == 0)
            return row;
    return -1;
}

void grid_Messages::txt_new_message_LostFocus() {
    const Trap trap(kScreenName + QStringLiteral("txt_new_message_LostFocus"));
    const bool alreadyOnFile = !lbl_already_on_file_->isHidden();
    const QString message = txt_new_message_->text();
    if (!alreadyOnFile && !message.isEmpty()) {
        trap.run(clearChangeMarker);
        const QString reference = txt_new_ref_->text();
        trap.run([&] { addMessage(reference, message); });
        trap.run([this] { layOutGrid(); });
    }
    showCount(conv::strNumber(trap.value<int>(messageCount, 0)) + QStringLiteral(" /"));
    Enable_new_entry(alreadyOnFile);
    iGrid_Messages_->setFocus();
}

// A cell editor still open when the window goes loses its focus while the window's children
// are deleted, and would commit into a screen already half destroyed.
grid_Messages::~grid_Messages() {
    iGrid_Messages_->grid().setBeforeCommit(nullptr);
    iGrid_Messages_->grid().setEditRequest(nullptr);
}

QWidget* openMessagesEditor(QWidget* owner) {
    auto* screen = new grid_Messages(owner);
    screen->Form_Load();
    return screen;
}

} // namespace kr7

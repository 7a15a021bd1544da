#include "config_layout.h"

#include "services.h"
#include "settings_table.h"
#include "widget_colours.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QSet>
#include <QTabWidget>
#include <QVBoxLayout>
#include <array>

namespace kr7::config {

namespace {

// Fields shorter than this many characters are drawn no wider than their text needs.
constexpr int kShortField = 30;
// Row labels wrap, but never into a narrow column of single words; a group on half a tab
// leaves its fields more of the width.
constexpr int kRowLabelWidth = 280;
constexpr int kHalfTabRowLabelWidth = 150;
// The row labels' share of a group's spare width against the space right of the fields.
constexpr int kLabelStretch = 1000;
// What a read-only field without a maximum length is sized for.
constexpr int kReadOnlyChars = 12;

// A row label asks for room for the longest label of its group on one line and takes what
// width its group has spare up to that; it wraps only when the window is too narrow, and
// never into a column of single words.
class RowLabel : public QLabel {
  public:
    RowLabel(const QString& text, int narrowest)
        : QLabel(text), natural_(fontMetrics().horizontalAdvance(text) + 1) {
        setWordWrap(natural_ > narrowest);
        setMinimumWidth(qMin(natural_, narrowest));
    }

    int natural() const { return natural_; }
    QSize sizeHint() const override { return {maximumWidth(), heightForWidth(maximumWidth())}; }

  private:
    int natural_;
};

// A group's grid while its controls are placed.
struct GroupGrid {
    const Group* group = nullptr;
    QGridLayout* grid = nullptr;
    int firstRow = 0; // the grid row of the group's row 0: below the headings, if any
    int labelWidth = kRowLabelWidth;
    QSet<int> labelledRows;
    std::vector<RowLabel*> rowLabels;

    // The label column grows no wider than the longest label needs.
    void limitLabelColumn() const {
        int longest = 0;
        for (const RowLabel* label : rowLabels)
            longest = std::max(longest, label->natural());
        for (RowLabel* label : rowLabels)
            label->setMaximumWidth(longest);
    }
};

// Whether `after` is `before` with some characters taken out in one place and none added.
bool onlyShortened(const QString& before, const QString& after) {
    if (after.size() >= before.size())
        return false;
    qsizetype same = 0;
    while (same < after.size() && after[same] == before[same])
        ++same;
    return QStringView(after).mid(same) == QStringView(before).right(after.size() - same);
}

bool isFrame(const Group& g) {
    return QLatin1String(g.id).startsWith(QLatin1String("fra_"));
}

bool hasRowLabel(Kind kind) {
    return kind == Kind::Edit || kind == Kind::ReadOnly || kind == Kind::Combo;
}

QLabel* wrappingLabel(const QString& text) {
    auto* label = new QLabel(text);
    label->setWordWrap(true);
    return label;
}

// Heading cells a control takes the place of (the editable PV column headings).
QSet<int> headingControls(const Group& g) {
    QSet<int> columns;
    for (const Setting& s : settings())
        if (s.place.row < 0 && QLatin1String(s.place.group) == QLatin1String(g.id))
            columns.insert(s.place.column);
    return columns;
}

QWidget* makeGroupWidget(const Group& g, GroupGrid& out) {
    QWidget* box = isFrame(g) ? new QGroupBox(g.caption) : new QWidget;
    box->setObjectName(QLatin1String(g.id));
    auto* outer = new QVBoxLayout(box);
    if (!g.note.isEmpty()) {
        QLabel* note = wrappingLabel(g.note);
        note->setObjectName(QLatin1String(g.id) + QStringLiteral("_note"));
        outer->addWidget(note);
    }
    out = {&g,
           new QGridLayout,
           g.headings.isEmpty() ? 0 : 1,
           g.pane < 0 ? kRowLabelWidth : kHalfTabRowLabelWidth,
           {}};
    outer->addLayout(out.grid);
    const QSet<int> taken = headingControls(g);
    for (int c = 0; c < g.headings.size(); ++c)
        if (!taken.contains(c))
            out.grid->addWidget(wrappingLabel(g.headings[c]), 0, c + 1, Qt::AlignBottom);
    return box;
}

QString accessibleNameOf(const Setting& s, const Group& g) {
    if (!s.accessibleName.isEmpty())
        return s.accessibleName;
    QStringList parts;
    if (!s.label.isEmpty())
        parts << s.label;
    if (s.place.underHeading && s.place.column < g.headings.size())
        parts << g.headings[s.place.column];
    return parts.join(QStringLiteral(", "));
}

QLineEdit* makeField(const Setting& s) {
    auto* field = new QLineEdit;
    if (s.maxLength > 0)
        field->setValidator(new TypingLimit(s.maxLength, field));
    const bool readOnly = s.kind == Kind::ReadOnly;
    field->setReadOnly(readOnly);
    setFieldBackground(field, readOnly ? kReadOnlyPeach : kFieldWhite);
    // Room for what the field may show: a formatted number can be a few characters longer
    // than what may be typed.
    const int chars = s.maxLength > 0 ? s.maxLength : (readOnly ? kReadOnlyChars : 0);
    if (chars > 0 && chars <= kShortField) {
        const QFontMetrics metrics = field->fontMetrics();
        field->setFixedWidth(metrics.horizontalAdvance(QString(chars + 3, u'0')) + 12);
    }
    return field;
}

QWidget* makeControl(const Setting& s) {
    QWidget* control = nullptr;
    switch (s.kind) {
    case Kind::Edit:
    case Kind::ReadOnly:
        control = makeField(s);
        break;
    case Kind::Check:
        control = new QCheckBox(s.label);
        break;
    case Kind::Combo: {
        auto* combo = new QComboBox;
        combo->addItems(s.choices);
        control = combo;
        break;
    }
    case Kind::Button:
        control = new QPushButton(s.label);
        break;
    case Kind::Label:
        control = new QLabel(s.label);
        break;
    }
    control->setObjectName(s.name);
    if (!s.toolTip.isEmpty()) {
        control->setToolTip(s.toolTip);
        control->setAccessibleDescription(s.toolTip);
    }
    return control;
}

void place(GroupGrid& g, const Setting& s, QWidget* control) {
    const int row = s.place.row < 0 ? 0 : g.firstRow + s.place.row;
    if (s.kind == Kind::Check) {
        g.grid->addWidget(control, row, 0, 1, -1);
        return;
    }
    g.grid->addWidget(control, row, s.place.column + 1);
    if (!hasRowLabel(s.kind))
        return;
    control->setAccessibleName(accessibleNameOf(s, *g.group));
    if (s.label.isEmpty() || g.labelledRows.contains(row))
        return;
    auto* label = new RowLabel(s.label, g.labelWidth);
    label->setBuddy(control);
    g.grid->addWidget(label, row, 0);
    g.labelledRows.insert(row);
    g.rowLabels.push_back(label);
}

// Left and right halves of a tab, made when its first group asks for one.
class Page {
  public:
    Page() : widget_(new QWidget), layout_(new QVBoxLayout(widget_)) {}

    void add(QWidget* group, int pane) {
        if (pane < 0) {
            layout_->addWidget(group);
            return;
        }
        if (!panes_[0]) {
            auto* halves = new QHBoxLayout;
            layout_->addLayout(halves);
            for (auto*& p : panes_) {
                p = new QVBoxLayout;
                halves->addLayout(p);
            }
        }
        panes_[pane]->addWidget(group);
    }

    // A window smaller than the page scrolls it rather than squeezing fields onto labels.
    QWidget* finish() {
        for (auto* p : panes_)
            if (p)
                p->addStretch();
        layout_->addStretch();
        auto* scroll = new QScrollArea;
        scroll->setFrameShape(QFrame::NoFrame);
        scroll->setFocusPolicy(Qt::NoFocus);
        scroll->setWidgetResizable(true);
        scroll->setWidget(widget_);
        return scroll;
    }

  private:
    QWidget* widget_;
    QVBoxLayout* layout_;
    std::array<QVBoxLayout*, 2> panes_{};
};

// The control that gets the focus is scrolled into view, however it got it.
void followFocus(QTabWidget* tabs) {
    QObject::connect(qApp, &QApplication::focusChanged, tabs, [tabs](QWidget*, QWidget* now) {
        if (!now || !tabs->isAncestorOf(now))
            return;
        for (QWidget* p = now->parentWidget(); p != tabs; p = p->parentWidget())
            if (auto* scroll = qobject_cast<QScrollArea*>(p)) {
                scroll->ensureWidgetVisible(now);
                return;
            }
    });
}

QHash<QString, GroupGrid> buildGroups(QTabWidget* tabs) {
    std::vector<Page> pages(tabCaptions().size());
    QHash<QString, GroupGrid> grids;
    for (const Group& g : groups())
        pages[g.tab].add(makeGroupWidget(g, grids[QLatin1String(g.id)]), g.pane);
    for (int tab = 0; tab < int(pages.size()); ++tab)
        tabs->addTab(pages[tab].finish(), tabCaptions()[tab]);
    return grids;
}

} // namespace

TypingLimit::TypingLimit(int limit, QLineEdit* field)
    : QValidator(field), field_(field), limit_(limit) {
    connect(field, &QLineEdit::textChanged, this, [this](const QString& text) { shown_ = text; });
}

// The screen's own setText leaves the field unmodified; every edit of the user's marks it.
QValidator::State TypingLimit::validate(QString& input, int&) const {
    if (input.size() <= limit_ || !field_->isModified() || input == shown_ ||
        onlyShortened(shown_, input))
        return Acceptable;
    beep();
    return Invalid;
}

QTabWidget* buildTabs(Controls& controls) {
    auto* tabs = new QTabWidget;
    tabs->setObjectName(QStringLiteral("SSTab1"));
    QHash<QString, GroupGrid> grids = buildGroups(tabs);
    followFocus(tabs);
    QWidget* previous = nullptr;
    for (const Setting& s : settings()) {
        QWidget* control = makeControl(s);
        place(grids[QLatin1String(s.place.group)], s, control);
        controls.insert(s.name, control);
        if (s.kind == Kind::Label)
            continue;
        if (previous)
            QWidget::setTabOrder(previous, control);
        previous = control;
    }
    // Spare width goes to the row labels, so that they need not wrap, and only what they
    // cannot take to the right of the fields.
    for (const GroupGrid& g : std::as_const(grids)) {
        if (!g.rowLabels.empty()) {
            g.limitLabelColumn();
            g.grid->setColumnStretch(0, kLabelStretch);
        }
        g.grid->setColumnStretch(g.grid->columnCount(), 1);
    }
    return tabs;
}

} // namespace kr7::config

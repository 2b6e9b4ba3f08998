#include "client/platform/FrmZelListGm.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <QLabel>
#include <QRegularExpression>
#include <QSignalBlocker>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <utility>

#include "core/LeadingNumber.h"
#include "core/UserRecord.h"
#include "core/modPublicTools.h"

namespace {
constexpr int kRecordRole = Qt::UserRole + 1;  // column 0: the whole record text
constexpr int kSortRole = Qt::UserRole + 2;    // per cell: the number it sorts by, if any
constexpr int kNameRole = Qt::UserRole + 3;    // column 0: the user name, as it came
constexpr int kNamePadding = 12;               // the cell's margins around a name

QColor FromBgr(std::uint32_t v) { return QColor(int(v & 0xFF), int((v >> 8) & 0xFF), int((v >> 16) & 0xFF)); }

QString Q(const std::string& s) { return QString::fromStdString(s); }

// A row that sorts numeric cells by their value and other cells as text.
class UserRow : public QTreeWidgetItem {
public:
    using QTreeWidgetItem::QTreeWidgetItem;
    bool operator<(const QTreeWidgetItem& other) const override {
        const int c = treeWidget() ? treeWidget()->sortColumn() : 0;
        const QVariant a = data(c, kSortRole), b = other.data(c, kSortRole);
        if (a.isValid() && b.isValid()) return a.toDouble() < b.toDouble();
        if (a.isValid() != b.isValid()) return a.isValid();  // numbers before texts
        return QString::localeAwareCompare(text(c), other.text(c)) < 0;
    }
};

bool IsNumberText(const std::string& s) {
    static const QRegularExpression number(QStringLiteral("^\\s*-?\\d+(\\.\\d+)?\\s*$"));
    return number.match(Q(s)).hasMatch();
}
}  // namespace

FrmZelListGm::FrmZelListGm(QWidget* parent) : QWidget(parent) {
    QFont small = font();
    small.setPixelSize(12);
    setFont(small);

    labTitle_ = new QLabel(this);
    labTitle_->setFixedHeight(16);
    labTitle_->setIndent(4);
    labTitle_->setAutoFillBackground(true);

    lstView_ = new QTreeWidget(this);
    lstView_->setRootIsDecorated(false);
    lstView_->setIndentation(0);
    lstView_->setUniformRowHeights(true);
    lstView_->setFrameShape(QFrame::NoFrame);
    lstView_->setSelectionMode(QAbstractItemView::SingleSelection);
    lstView_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lstView_->setContextMenuPolicy(Qt::CustomContextMenu);
    {
        const QSignalBlocker quiet(QuietHeader());
        lstView_->header()->setSectionsClickable(true);
        lstView_->header()->setStretchLastSection(false);
        lstView_->header()->setMinimumSectionSize(20);
        lstView_->header()->setDefaultSectionSize(60);
    }

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(labTitle_);
    layout->addWidget(lstView_);

    connect(lstView_->header(), &QHeaderView::sectionClicked, this, [this](int c) { SortByColumn(c); });
    connect(lstView_, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* row, int) { RaiseClicked(row, false); });
    connect(lstView_, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        QTreeWidgetItem* row = lstView_->itemAt(pos);
        if (!row) return;
        lstView_->setCurrentItem(row);
        RaiseClicked(row, true);
    });
}

void FrmZelListGm::SetLocalUser(const std::string& name) {
    localUser_ = name;
    for (int i = 0; i < lstView_->topLevelItemCount(); ++i) MarkRow(lstView_->topLevelItem(i));
}

void FrmZelListGm::SetColors(std::uint32_t back, std::uint32_t fore) {
    QPalette title = labTitle_->palette();
    title.setColor(QPalette::Window, FromBgr(back));
    title.setColor(QPalette::WindowText, QColor(255, 255, 255));
    labTitle_->setPalette(title);
    QPalette list = lstView_->palette();
    list.setColor(QPalette::Base, FromBgr(fore));
    list.setColor(QPalette::Button, FromBgr(back).lighter(160));
    lstView_->setPalette(list);
}

QHeaderView* FrmZelListGm::QuietHeader() const { return isVisible() ? nullptr : lstView_->header(); }

void FrmZelListGm::SetTitle(const std::string& title) { labTitle_->setText(Q(title)); }

void FrmZelListGm::SetScoreCaption(const std::string& caption) { scoreCaption_ = caption; }

void FrmZelListGm::SetColumnHeaders(const std::string& headers, int columnCount) {
    auto names = modPublicTools::SplitFields(headers);
    const int shown = std::max(0, std::min<int>(columnCount, static_cast<int>(names.size())));
    QStringList labels;
    for (int i = 0; i < shown; ++i) labels << Q(names[i]);
    {
        const QSignalBlocker quiet(QuietHeader());
        lstView_->setColumnCount(shown);
        lstView_->setHeaderLabels(labels);
    }
    for (int i = 0; i < lstView_->topLevelItemCount(); ++i) {
        QTreeWidgetItem* row = lstView_->topLevelItem(i);
        FillRow(row, row->data(0, kRecordRole).toString().toStdString());
    }
}

void FrmZelListGm::SetColumnWidths(const std::string& widths) {
    const auto fields = modPublicTools::SplitFields(widths);
    const QSignalBlocker quiet(QuietHeader());
    for (int i = 0; i < static_cast<int>(fields.size()) && i < lstView_->columnCount(); ++i) {
        const std::int32_t w = LeadingNumber::Long(fields[i]);
        if (w > 0) lstView_->setColumnWidth(i, w);
    }
}

void FrmZelListGm::SetLevelTitles(std::function<std::string(std::int32_t)> titleOfLevel) {
    titleOfLevel_ = std::move(titleOfLevel);
    for (int i = 0; i < lstView_->topLevelItemCount(); ++i) {
        QTreeWidgetItem* row = lstView_->topLevelItem(i);
        FillRow(row, row->data(0, kRecordRole).toString().toStdString());
    }
}

void FrmZelListGm::ClearList() { lstView_->clear(); }

void FrmZelListGm::LoadList(const std::string& listText) {
    std::vector<std::string> names;
    for (const auto& record : UserRecord::SplitList(listText)) {
        const auto fields = UserRecord::Fields(record);
        if (fields.empty() || fields[UserRecord::kName].empty() || FindRow(fields[UserRecord::kName])) continue;
        auto* row = new UserRow(lstView_);
        FillRow(row, record);
        names.push_back(fields[UserRecord::kName]);
    }
    Resort();
    if (OnListLoaded) OnListLoaded(modPublicTools::JoinFields(names));
}

void FrmZelListGm::AddUser(const std::string& record) {
    const auto fields = UserRecord::Fields(record);
    if (fields.empty() || fields[UserRecord::kName].empty()) return;
    QTreeWidgetItem* row = FindRow(fields[UserRecord::kName]);
    if (!row) row = new UserRow(lstView_);
    FillRow(row, record);
    Resort();
}

void FrmZelListGm::RemoveUser(const std::string& name) { delete FindRow(name); }

void FrmZelListGm::UpdateUser(const std::string& update) {
    const auto fields = modPublicTools::SplitFields(update);
    if (fields.size() != UserRecord::kUpdateFieldCount) return;
    QTreeWidgetItem* row = FindRow(fields[UserRecord::kUpdName]);
    if (!row) return;
    std::string record = row->data(0, kRecordRole).toString().toStdString();
    if (!UserRecord::ApplyUpdate(record, update)) return;
    FillRow(row, record);
    Resort();
}

std::string FrmZelListGm::GetUser(const std::string& name) const {
    const QTreeWidgetItem* row = FindRow(name);
    return row ? row->data(0, kRecordRole).toString().toStdString() : std::string();
}

std::vector<std::string> FrmZelListGm::RowNames() const {
    std::vector<std::string> names;
    names.reserve(static_cast<std::size_t>(lstView_->topLevelItemCount()));
    for (int i = 0; i < lstView_->topLevelItemCount(); ++i)
        names.push_back(lstView_->topLevelItem(i)->data(0, kNameRole).toString().toStdString());
    return names;
}

std::string FrmZelListGm::CellText(const std::string& name, int column) const {
    const QTreeWidgetItem* row = FindRow(name);
    return row && column >= 0 && column < lstView_->columnCount() ? row->text(column).toStdString() : std::string();
}

bool FrmZelListGm::IsMarkedLocal(const std::string& name) const {
    const QTreeWidgetItem* row = FindRow(name);
    return row && row->font(0).bold();
}

void FrmZelListGm::SortByColumn(int column) {
    if (column < 0 || column >= lstView_->columnCount()) return;
    sortDescending_ = column == sortColumn_ ? !sortDescending_ : false;
    sortColumn_ = column;
    Resort();
}

QTreeWidgetItem* FrmZelListGm::FindRow(const std::string& name) const {
    if (name.empty()) return nullptr;
    for (int i = 0; i < lstView_->topLevelItemCount(); ++i) {
        QTreeWidgetItem* row = lstView_->topLevelItem(i);
        if (row->data(0, kNameRole).toString().toStdString() == name) return row;
    }
    return nullptr;
}

void FrmZelListGm::FillRow(QTreeWidgetItem* row, const std::string& record) {
    const auto fields = UserRecord::Fields(record);
    if (fields.empty()) return;
    row->setData(0, kRecordRole, Q(record));
    row->setData(0, kNameRole, Q(fields[UserRecord::kName]));
    for (int c = 0; c < lstView_->columnCount() && c < UserRecord::kFieldCount; ++c) {
        std::string text = fields[c];
        QVariant sortKey;
        if (c == UserRecord::kLevel && titleOfLevel_) {
            sortKey = LeadingNumber::Value(fields[c]);
            text = titleOfLevel_(LeadingNumber::Long(fields[c]));
        } else if (IsNumberText(text)) {
            sortKey = LeadingNumber::Value(text);
        }
        row->setText(c, Q(text));
        row->setData(c, kSortRole, sortKey);
    }
    MarkRow(row);
}

void FrmZelListGm::MarkRow(QTreeWidgetItem* row) {
    const bool local = !localUser_.empty() && row->data(0, kNameRole).toString().toStdString() == localUser_;
    for (int c = 0; c < lstView_->columnCount(); ++c) {
        QFont f = lstView_->font();
        f.setBold(local);
        row->setFont(c, f);
        row->setForeground(c, local ? QBrush(QColor(0, 0, 160)) : QBrush());
    }
    FitNameColumn(row);
}

void FrmZelListGm::FitNameColumn(const QTreeWidgetItem* row) {
    // A name wider than its column would be cut short (the own one is bold, so wider
    // still): the column grows to show it whole.
    if (lstView_->columnCount() == 0) return;
    const int want = QFontMetrics(row->font(0)).horizontalAdvance(row->text(0)) + kNamePadding;
    if (want > lstView_->columnWidth(0)) lstView_->setColumnWidth(0, want);
}

void FrmZelListGm::Resort() {
    if (sortColumn_ < 0 || sortColumn_ >= lstView_->columnCount()) return;
    lstView_->sortItems(sortColumn_, sortDescending_ ? Qt::DescendingOrder : Qt::AscendingOrder);
    lstView_->header()->setSortIndicatorShown(true);
}

void FrmZelListGm::RaiseClicked(QTreeWidgetItem* row, bool context) {
    if (!row || !OnUserClicked) return;
    OnUserClicked(context, row->data(0, kNameRole).toString().toStdString(),
                  row->data(0, kRecordRole).toString().toStdString());
}

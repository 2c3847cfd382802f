// The options dialog's frame and its four pages: what stands where. Page sizes and places are
// twips; a page whose contents need more room (a larger desktop font) grows, never shrinks.
#include "ui/Form2.h"

#include "platform/AboutTexts.h"
#include "platform/OsVersion.h"
#include "ui/ProgramLogo.h"
#include "ui/Twips.h"
#include "ui/clsUpdown.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace tobimaru {

namespace {

// The dialog as drawn.
constexpr double kOuterWidth = 6390;
constexpr double kOuterHeight = 6300;
constexpr double kPageLeft = 240;
constexpr double kPageTop = 720;
constexpr double kPageWidth = 5775;
constexpr double kPageHeight = 4000;
constexpr double kListShorter = 700;

QString Indexed(const char* name, int i) {
    return QStringLiteral("%1(%2)").arg(QLatin1String(name)).arg(i);
}

QFrame* NewPage(QWidget* area, int index) {
    auto* page = new QFrame(area);
    page->setObjectName(Indexed("Frame1", index));
    page->setFrameShape(QFrame::StyledPanel);
    page->hide();
    return page;
}

void Compact(QLayout* layout) {
    layout->setContentsMargins(6, 4, 6, 4);
    layout->setSpacing(2);
}

/// A row of the type list; both columns sort as text without regard to case.
class TypeListItem final : public QTreeWidgetItem {
public:
    using QTreeWidgetItem::QTreeWidgetItem;
    bool operator<(const QTreeWidgetItem& other) const override {
        const int column = treeWidget() ? treeWidget()->sortColumn() : 0;
        return text(column).compare(other.text(column), Qt::CaseInsensitive) < 0;
    }
};

QCheckBox* NewCheck(QWidget* parent, const QString& name, const QString& caption) {
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(name);
    // A stored grey (2) shows as such; the first click turns it into a plain check box.
    QObject::connect(box, &QCheckBox::stateChanged, box, [box](int state) {
        if (state != Qt::PartiallyChecked)
            box->setTristate(false);
    });
    return box;
}

} // namespace

void Form2::buildFrame() {
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("環境設定"));

    m_pageArea = new QWidget(this);
    m_pageArea->setObjectName(QStringLiteral("Pages"));
    m_pages = {buildPage1(), buildPage2(), buildPage3(), buildPage4()};

    m_tabs = new QTabBar(this);
    m_tabs->setObjectName(QStringLiteral("TabStrip1"));
    m_tabs->setExpanding(false);
    const struct {
        const char* caption;
        const char* tooltip;
    } tabs[] = {{"動作", "プレイヤーの動作を設定します。"},
                {"ファイル設定", "再生するファイルの設定をします。"},
                {"解凍の設定", ""},
                {"バージョン情報", ""}};
    for (const auto& t : tabs) {
        const int i = m_tabs->addTab(QString::fromUtf8(t.caption));
        m_tabs->setTabToolTip(i, QString::fromUtf8(t.tooltip));
    }
    connect(m_tabs, &QTabBar::currentChanged, this, &Form2::TabStrip1_Click);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(Indexed("Command2", 0));
    auto* cancel = new QPushButton(QStringLiteral("キャンセル"), this);
    cancel->setObjectName(Indexed("Command2", 1));
    connect(ok, &QPushButton::clicked, this, [this] { Command2_Click(0); });
    connect(cancel, &QPushButton::clicked, this, [this] { Command2_Click(1); });

    // Every page has the same place; the largest content decides how large that is.
    QSize area(TwipsToPixels(kPageWidth), TwipsToPixels(kPageHeight));
    for (QFrame* page : m_pages)
        area = area.expandedTo(page->minimumSizeHint());
    const int left = TwipsToPixels(kPageLeft);
    const int top = std::max(TwipsToPixels(kPageTop), m_tabs->sizeHint().height() + 4);
    m_pageArea->setGeometry(left, top, area.width(), area.height());
    for (QFrame* page : m_pages)
        page->setGeometry(0, 0, area.width(), area.height());
    m_tabs->setGeometry(left, top - m_tabs->sizeHint().height(), area.width(), m_tabs->sizeHint().height());

    const QSize button =
        ok->sizeHint().expandedTo(cancel->sizeHint()).expandedTo(QSize(TwipsToPixels(1200), 0));
    const int buttonsTop = top + area.height() + 8;
    const int right = left + area.width();
    cancel->setGeometry(right - button.width(), buttonsTop, button.width(), button.height());
    ok->setGeometry(right - 2 * button.width() - 6, buttonsTop, button.width(), button.height());

    // The outer size as drawn, the frame still unknown here: showEvent takes it off once.
    setFixedSize(std::max(TwipsToPixels(kOuterWidth), right + left),
                 std::max(TwipsToPixels(kOuterHeight), buttonsTop + button.height() + 8));
}

QFrame* Form2::buildPage1() {
    QFrame* page = NewPage(m_pageArea, 0);
    auto* layout = new QVBoxLayout(page);
    Compact(layout);

    auto* boot = new QGroupBox(QStringLiteral("起動時の動作（再起動後に有効）"), page);
    auto* bootLayout = new QVBoxLayout(boot);
    Compact(bootLayout);
    const char* bootCaptions[] = {"前回の再生フォルダを開く。", "常に中央に表示する。",
                                  "スクリーンセーバーを無効にする。", "クイックパスを読み込まない。",
                                  "マウスジェスチャーを有効にする。"};
    for (int i = 0; i < 5; ++i) {
        m_check1[size_t(i)] = NewCheck(boot, Indexed("Check1", i), QString::fromUtf8(bootCaptions[i]));
        bootLayout->addWidget(m_check1[size_t(i)]);
    }
    layout->addWidget(boot);

    auto* view =
        new QGroupBox(QStringLiteral("ツリービュー・ファイルビューの表示（チェックで表示する。）"), page);
    auto* viewLayout = new QGridLayout(view);
    Compact(viewLayout);
    const char* viewCaptions[] = {"隠しファイル", "システムファイル", "読取専用ファイル",
                                  "リストビューにフォルダを表示する。"};
    for (int i = 0; i < 4; ++i) {
        m_check3[size_t(i)] = NewCheck(view, Indexed("Check3", i), QString::fromUtf8(viewCaptions[i]));
        viewLayout->addWidget(m_check3[size_t(i)], i / 2, i % 2);
    }
    layout->addWidget(view);

    auto* slide = new QGroupBox(QStringLiteral("スライドショー"), page);
    auto* slideLayout = new QGridLayout(slide);
    Compact(slideLayout);
    slideLayout->addWidget(new QLabel(QStringLiteral("該当ファイル"), slide), 0, 0, 1, 2);
    m_option1 = new QButtonGroup(this);
    const char* kinds[] = {"画像ファイル(jpg,gif,bmp)のみ", "すべて（動画、画像ファイル等）"};
    for (int i = 0; i < 2; ++i) {
        auto* option = new QRadioButton(QString::fromUtf8(kinds[i]), slide);
        option->setObjectName(Indexed("Option1", i));
        m_option1->addButton(option, i);
        slideLayout->addWidget(option, 1, i);
    }
    m_option1->button(0)->setChecked(true);

    auto* interval = new QHBoxLayout;
    interval->addWidget(new QLabel(QStringLiteral("表示間隔"), slide));
    // The box and its arrows share a container of their own, so the arrows' place over the
    // box's right end is known when they are made.
    auto* holder = new QWidget(slide);
    holder->setObjectName(QStringLiteral("Text2Holder"));
    m_text2 = new QLineEdit(QStringLiteral("1"), holder);
    m_text2->setObjectName(QStringLiteral("Text2"));
    const QSize box(TwipsToPixels(720), m_text2->sizeHint().height());
    m_text2->setGeometry(0, 0, box.width(), box.height());
    m_text2->setTextMargins(0, 0, 18, 0);
    holder->setFixedSize(box);
    interval->addWidget(holder);
    interval->addWidget(new QLabel(QStringLiteral("秒(1～30秒)"), slide));
    interval->addStretch(1);
    slideLayout->addLayout(interval, 2, 0, 1, 2);
    layout->addWidget(slide);
    layout->addStretch(1);
    return page;
}

QFrame* Form2::buildPage2() {
    QFrame* page = NewPage(m_pageArea, 1);
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    m_types = new QTreeWidget(page);
    m_types->setObjectName(QStringLiteral("ListView1"));
    m_types->setColumnCount(2);
    m_types->setHeaderLabels({QStringLiteral("拡張子"), QStringLiteral("説明")});
    m_types->setRootIsDecorated(false);
    m_types->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_types->setSelectionMode(QAbstractItemView::SingleSelection);
    m_types->setSortingEnabled(false);
    QHeaderView* header = m_types->header();
    header->setSectionsClickable(true);
    header->setSortIndicatorShown(true);
    header->setStretchLastSection(false);
    // Each column starts as wide as its caption.
    for (int c = 0; c < 2; ++c)
        m_types->setColumnWidth(c, header->sectionSizeHint(c));
    connect(header, &QHeaderView::sectionClicked, this, &Form2::ListView1_ColumnClick);
    // The selected row stays marked while another control has the focus.
    QPalette pal = m_types->palette();
    pal.setColor(QPalette::Inactive, QPalette::Highlight, pal.color(QPalette::Active, QPalette::Highlight));
    pal.setColor(QPalette::Inactive, QPalette::HighlightedText,
                 pal.color(QPalette::Active, QPalette::HighlightedText));
    m_types->setPalette(pal);
    layout->addWidget(m_types, 1);

    auto* strip = new QWidget(page);
    strip->setFixedHeight(TwipsToPixels(kListShorter));
    auto* buttons = new QHBoxLayout(strip);
    buttons->setContentsMargins(6, 0, 6, 0);
    const char* captions[] = {"全選択", "全解除"};
    for (int i = 0; i < 2; ++i) {
        auto* b = new QPushButton(QString::fromUtf8(captions[i]), strip);
        b->setObjectName(Indexed("Command1", i));
        connect(b, &QPushButton::clicked, this, [this, i] { Command1_Click(i); });
        buttons->addWidget(b);
    }
    buttons->addStretch(1);
    layout->addWidget(strip);
    return page;
}

QFrame* Form2::buildPage3() {
    QFrame* page = NewPage(m_pageArea, 2);
    auto* layout = new QVBoxLayout(page);
    m_check2 = new QCheckBox(QStringLiteral("解凍時にフォルダを選択する。"), page);
    m_check2->setObjectName(QStringLiteral("Check2"));
    layout->addWidget(m_check2);
    layout->addStretch(1);
    return page;
}

QFrame* Form2::buildPage4() {
    QFrame* page = NewPage(m_pageArea, 3);
    auto* layout = new QGridLayout(page);
    m_image1 = new QLabel(page);
    m_image1->setObjectName(QStringLiteral("Image1"));
    m_image1->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    layout->addWidget(m_image1, 0, 0);
    m_verLabel = new QLabel(QStringLiteral("1.0.6"), page);
    m_verLabel->setObjectName(QStringLiteral("VerLabel"));
    m_verLabel->setTextFormat(Qt::PlainText);
    m_verLabel->setWordWrap(true);
    m_verLabel->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    layout->addWidget(m_verLabel, 0, 1);
    m_text1 = new QPlainTextEdit(page);
    m_text1->setObjectName(QStringLiteral("Text1"));
    m_text1->setReadOnly(true);
    layout->addWidget(m_text1, 1, 0, 1, 2);
    auto* buttons = new QHBoxLayout;
    const char* captions[] = {"メール", "ホームページ"};
    for (int i = 0; i < 2; ++i) {
        auto* b = new QPushButton(QString::fromUtf8(captions[i]), page);
        b->setObjectName(Indexed("Command3", i));
        connect(b, &QPushButton::clicked, this, [this, i] { Command3_Click(i); });
        buttons->addWidget(b);
        // No mail address is answered: a button that writes to nobody is worse than none.
        b->setVisible(i != 0);
    }
    buttons->addStretch(1);
    layout->addLayout(buttons, 2, 0, 1, 2);
    layout->setColumnStretch(1, 1);
    layout->setRowStretch(1, 1);
    return page;
}

void Form2::fillTypeList() {
    m_types->clear();
    for (const MediaType& row : MediaTypeRows()) {
        auto* item = new TypeListItem(m_types, {row.extension, row.description});
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(0, Qt::Unchecked);
    }
}

void Form2::fillVersionPage() {
    m_verLabel->setText(VersionLabelText(GetOsVersionString(), GetShellVersion()));
    m_text1->setPlainText(VersionHistoryText());
    m_image1->setPixmap(ProgramLogo(64));
}

} // namespace tobimaru

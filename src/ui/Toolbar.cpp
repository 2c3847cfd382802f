#include "ui/Toolbar.h"

#include "ui/IconLibrary.h"
#include "ui/Twips.h"

#include <QAction>
#include <QActionGroup>
#include <QEvent>
#include <QSlider>
#include <QToolBar>
#include <algorithm>

namespace tobimaru {

namespace {

enum class Kind { Button, Check, Separator, Group };

constexpr double kButtonWidth = 315; // twips

struct ButtonRow {
    const char* key;
    const char* tooltip;
    Kind kind;
    const char* image;
};

// Left to right; the keys are what the handlers match on.
const ButtonRow kButtons[] = {
    {"デスクトップ", "デスクトップ(F6)", Kind::Button, "DeskTop98"},
    {"マイドキュメント", "マイドキュメント(F7)", Kind::Button, "MyDoc98"},
    {"ネットワーク", "ネットワーク(F8)", Kind::Button, "MyNet98"},
    {"", "", Kind::Separator, ""},
    {"1つ上に", "1つ上に(BS)", Kind::Button, "UpOne98"},
    {"最新更新", "最新の情報に更新(F5)", Kind::Button, "Refresh"},
    {"ファイルビュー", "リストビューの表示ファイル切替", Kind::Check, "FileView"},
    {"解凍", "LZH、ZIPを解凍する。", Kind::Button, "Extract"},
    {"選択解凍", "LZH、ZIPを選択した後、解凍する。", Kind::Button, "ExtractSelect"},
    {"", "", Kind::Separator, ""},
    {"再生", "再生を始めます。(Space）", Kind::Button, "Play"},
    {"停止", "再生を停止します。(Shift+Space）", Kind::Button, "Stop"},
    {"", "", Kind::Separator, ""},
    {"1つ戻る", "1つ戻る(Ctrl+矢印上）", Kind::Button, "Previous"},
    {"1つ次へ", "1つ次へ(Ctrl+矢印下）", Kind::Button, "Next"},
    {"", "", Kind::Separator, ""},
    {"リピート再生", "現在の動画をリピート再生します。（F9)", Kind::Check, "Repeat"},
    {"", "", Kind::Separator, ""},
    {"昇順", "通常で連続再生", Kind::Group, "Ascending"},
    {"降順", "逆順で連続再生", Kind::Group, "Descending"},
    {"", "", Kind::Separator, ""},
    {"RateOne", "再生スピードを通常(1.0)にする", Kind::Button, "RateOne"},
};

} // namespace

Toolbar::Toolbar(QToolBar* bar)
    : QObject(bar)
    , m_bar(bar) {
    bar->setObjectName(QStringLiteral("Toolbar1"));
    bar->setMovable(false);
    bar->setFloatable(false);
    bar->setIconSize(QSize(16, 16));
    m_order = new QActionGroup(this);
    m_order->setExclusive(true);
    int position = 0;
    for (const ButtonRow& row : kButtons) {
        ++position;
        if (row.kind == Kind::Separator) {
            bar->addSeparator();
            m_positions << nullptr;
            continue;
        }
        const QString key = QString::fromUtf8(row.key);
        auto* a = new QAction(IconForKey(QString::fromUtf8(row.image)), key, bar);
        a->setObjectName(key);
        a->setToolTip(QString::fromUtf8(row.tooltip));
        a->setData(position);
        a->setCheckable(row.kind != Kind::Button);
        if (row.kind == Kind::Group)
            m_order->addAction(a);
        bar->addAction(a);
        // As narrow as the row was drawn for: the speed slider stands at a fixed place after
        // the last button.
        if (QWidget* w = bar->widgetForAction(a))
            w->setFixedWidth(TwipsToPixels(kButtonWidth));
        m_buttons.insert(key, a);
        m_positions << a;
        connect(a, &QAction::triggered, this, [this, key] { Q_EMIT buttonClicked(key); });
    }
    m_buttons.value(QStringLiteral("昇順"))->setChecked(true);
    // The extraction buttons show only in file view.
    m_buttons.value(QStringLiteral("解凍"))->setVisible(false);
    m_buttons.value(QStringLiteral("選択解凍"))->setVisible(false);

    // The slider stands at a place of its own on the row, outside the bar's flow of buttons.
    m_slider = new QSlider(Qt::Horizontal, bar);
    m_slider->setObjectName(QStringLiteral("Slider1"));
    m_slider->setRange(1, 40);
    m_slider->setTickInterval(5);
    m_slider->setTickPosition(QSlider::TicksBelow);
    m_slider->setPageStep(5);
    m_slider->setValue(10);
    m_slider->setFixedWidth(160);
    m_slider->setToolTip(QStringLiteral("再生スピード"));
    bar->installEventFilter(this);
    layoutSlider();
}

void Toolbar::placeSlider(bool fileView) {
    m_sliderLeftTwips = fileView ? 6360 : 5520;
    layoutSlider();
}

void Toolbar::layoutSlider() {
    int buttonsEnd = 0;
    for (QAction* a : m_bar->actions()) {
        if (!a->isVisible())
            continue;
        if (QWidget* w = m_bar->widgetForAction(a); w && !w->isHidden())
            buttonsEnd = std::max(buttonsEnd, w->geometry().right() + 1);
    }
    const int left = std::max(TwipsToPixels(m_sliderLeftTwips), buttonsEnd + 4);
    const int height = std::min(m_slider->sizeHint().height(), std::max(m_bar->height(), 1));
    m_slider->setGeometry(left, (m_bar->height() - height) / 2, m_slider->width(), height);
}

bool Toolbar::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_bar) {
        if (event->type() == QEvent::Resize)
            layoutSlider();
        else if (event->type() == QEvent::LayoutRequest)
            // The buttons take their new places only once the bar has handled the request.
            QMetaObject::invokeMethod(this, &Toolbar::layoutSlider, Qt::QueuedConnection);
    }
    return QObject::eventFilter(watched, event);
}

QStringList Toolbar::keys() const {
    QStringList out;
    for (const QAction* a : m_positions) {
        if (a)
            out << a->objectName();
    }
    return out;
}

QAction* Toolbar::buttonAt(int index) const {
    if (index < 1 || index > m_positions.size())
        return nullptr;
    return m_positions.at(index - 1);
}

void Toolbar::setImage(const QString& key, const QString& imageKey) {
    if (QAction* a = button(key))
        a->setIcon(IconForKey(imageKey));
}

bool Toolbar::fileViewPressed() const {
    return m_buttons.value(QStringLiteral("ファイルビュー"))->isChecked();
}

} // namespace tobimaru

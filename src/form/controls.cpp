// The controls of Form1 in their design state: every control of the catalogue in its frame with
// its caption, colours and rectangle, the chip picture, and the tab order.
#include "form/form1.h"

#include "form/catalogue.h"
#include "form/chippicture.h"
#include "form/colours.h"
#include "version.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>

#include <algorithm>

namespace {

template <typename W> W* named(W* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QLabel* label(QWidget* parent, const char* name, const QString& caption) {
    return named(new QLabel(caption, parent), name);
}

QPushButton* button(QWidget* parent, const char* name, const QString& caption) {
    auto* pushButton = named(new QPushButton(caption, parent), name);
    // Return and keypad Enter press the focused button, as Space does.
    pushButton->setAutoDefault(true);
    return pushButton;
}

QLineEdit* textBox(QWidget* parent, const char* name, const QString& text, int maxLength = 0) {
    auto* box = named(new QLineEdit(parent), name);
    if (maxLength > 0)
        box->setMaxLength(maxLength);
    box->setText(text);
    return box;
}

QGroupBox* frame(QWidget* parent, const char* name, const QString& caption = QString()) {
    auto* box = named(new QGroupBox(caption, parent), name);
    box->setFlat(false);
    return box;
}

Shape* lamp(QWidget* parent, ShapeArray& array, const char* arrayName, int index, QColor colour) {
    auto* shape = new Shape(Shape::Kind::Circle, colour, parent);
    shape->setObjectName(QStringLiteral("%1(%2)").arg(QLatin1String(arrayName)).arg(index));
    array.add(index, shape);
    return shape;
}

} // namespace

void Form1::buildControls() {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Quillory.exe  Version:" QUILLORY_VERSION));
    setFixedSize(twipsToPixels(formWidthTwips), twipsToPixels(formHeightTwips));
    // A compact face that holds both the Chinese captions and the Latin ones in the designed boxes.
    QFont font = this->font();
    font.setFamilies({QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("Microsoft YaHei"),
                      QStringLiteral("PingFang SC"), font.family()});
    font.setPixelSize(12);
    setFont(font);

    Frame1 = frame(this, "Frame1");
    Picture1 = named(new QLabel(this), "Picture1");
    Picture1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Picture1->setPixmap(chipPicture());
    Frame3 = frame(this, "Frame3");
    Frame4 = frame(this, "Frame4", tr("ISD设置"));
    Frame6 = frame(this, "Frame6", tr("ISD操作"));
    Frame7 = frame(this, "Frame7");
    Frame2 = frame(this, "Frame2");
    for (QGroupBox* captioned : {Frame4, Frame6}) {
        QPalette pal = captioned->palette();
        pal.setColor(QPalette::WindowText, colours::darkGreen);
        captioned->setPalette(pal);
    }

    // Frame1: top bar.
    Label12 = label(Frame1, "Label12", tr("正在播放的文件"));
    DisFileNanmeText = textBox(Frame1, "DisFileNanmeText", QStringLiteral(".mp3"));
    {
        QPalette pal = DisFileNanmeText->palette();
        pal.setColor(QPalette::Text, colours::blue);
        DisFileNanmeText->setPalette(pal);
    }

    // Frame3: serial port and audio source player.
    Label2 = label(Frame3, "Label2", tr("串口号"));
    Combo1 = named(new QComboBox(Frame3), "Combo1");
    Combo1->setEditable(true);
    // Typing sets the box's text as typed: the list stays as designed, and no completion turns "mic"
    // into the source "Mic".
    Combo1->setInsertPolicy(QComboBox::NoInsert);
    Combo1->setCompleter(nullptr);
    for (int n = 1; n <= 16; ++n)
        Combo1->addItem(QString::number(n));
    Combo1->setCurrentIndex(0);
    Seril_StDig = named(new Shape(Shape::Kind::Circle, colours::white, Frame3), "Seril_StDig");
    Command16 = button(Frame3, "Command16", tr("打开串口"));
    open_file = button(Frame3, "open_file", tr("打开文件"));
    Label15 = label(Frame3, "Label15", tr("文件长度"));
    MusicFileLenText = textBox(Frame3, "MusicFileLenText", QString());
    SetMusicPoint = button(Frame3, "SetMusicPoint", tr("设播放点"));
    Try_Listen = button(Frame3, "Try_Listen", tr("试听"));
    Label1 = label(Frame3, "Label1", tr("播放地址"));
    SetAddrText = textBox(Frame3, "SetAddrText", QStringLiteral("00:00:00"));
    Label14 = label(Frame3, "Label14", tr(" 当前进度"));
    PlayPointText = textBox(Frame3, "PlayPointText", QStringLiteral("00:00:00"));
    PlayPoint = named(new QScrollBar(Qt::Horizontal, Frame3), "PlayPoint");
    PlayPoint->setRange(0, 30000);
    PlayPoint->setSingleStep(1);
    PlayPoint->setPageStep(10);
    PlayPoint->setFocusPolicy(Qt::StrongFocus); // a tab stop, like every other control with a Tab place
    for (int i = 0; i < 5; ++i) {
        // Colours are set at start-up by the level display.
        auto* box = new Shape(Shape::Kind::Rectangle, Qt::white, Frame3);
        box->setObjectName(QStringLiteral("VolicDisPlay(%1)").arg(i));
        VolicDisPlay.add(i, box);
    }
    VoilceVal = button(Frame3, "VoilceVal", tr("音量"));
    VoiclePtrTimer = new QTimer(this);
    VoiclePtrTimer->setObjectName(QStringLiteral("VoiclePtrTimer"));
    VoiclePtrTimer->setInterval(levelTickMs);

    // Frame7: analog path and device buttons.
    Label3 = label(Frame7, "Label3", tr("音源"));
    sound_in = named(new QComboBox(Frame7), "sound_in");
    sound_in->setEditable(true);
    sound_in->setInsertPolicy(QComboBox::NoInsert);
    sound_in->setCompleter(nullptr);
    sound_in->addItems({QStringLiteral("Lin"), QStringLiteral("Mic"), QStringLiteral("LM")});
    sound_in->setCurrentIndex(0);
    Label4 = label(Frame7, "Label4", tr("监听"));
    SoundMon = named(new QCheckBox(Frame7), "SoundMon");
    Label5 = label(Frame7, "Label5", QStringLiteral("SPK"));
    SPKon = named(new QCheckBox(Frame7), "SPKon");
    si_ok = button(Frame7, "si_ok", tr("设置"));
    devid_rst = button(Frame7, "devid_rst", tr("器件复位"));
    devid_pu = button(Frame7, "devid_pu", tr("器件上电"));
    devid_id = button(Frame7, "devid_id", tr("器件ID"));
    lamp(Frame7, Bottmp, "Bottmp", 0, colours::magenta);
    lamp(Frame7, Bottmp, "Bottmp", 1, colours::yellow);
    lamp(Frame7, Bottmp, "Bottmp", 3, colours::yellow);
    lamp(Frame7, Bottmp, "Bottmp", 4, colours::yellow);

    // Frame6: chip operations.
    CurrentRow = textBox(Frame6, "CurrentRow", QStringLiteral("curre"), 5);
    CurrentRowComm = button(Frame6, "CurrentRowComm", tr("当前地址"));
    play = button(Frame6, "play", tr("播放"));
    stop = button(Frame6, "stop", tr("停止"));
    RecTimeText = textBox(Frame6, "RecTimeText", QStringLiteral("REC Time"));
    rec = button(Frame6, "rec", tr("录音"));
    fwd = button(Frame6, "fwd", tr("下一段"));
    erase = button(Frame6, "erase", tr("擦除当前"));
    erase_all = button(Frame6, "erase_all", tr("擦除全部"));
    using namespace colours;
    const QColor liftColours[7] = {green, black, red, blue, blue, blue, blue};
    for (int i = 0; i < 7; ++i)
        lamp(Frame6, Lift, "Lift", i, liftColours[i]);
    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setTimerType(Qt::PreciseTimer);

    // Frame4: addresses.
    Play_Text = textBox(Frame4, "Play_Text", QStringLiteral("00 00"));
    rd_play_addr = button(Frame4, "rd_play_addr", tr("读播放地址"));
    Rec_Text = textBox(Frame4, "Rec_Text", QStringLiteral("00 00"));
    rd_rec_addr = button(Frame4, "rd_rec_addr", tr("读录音地址"));
    Label6 = label(Frame4, "Label6", QStringLiteral("S"));
    St_Play_Text = textBox(Frame4, "St_Play_Text", QStringLiteral("00"), 5);
    Label7 = label(Frame4, "Label7", QStringLiteral("E"));
    St_Play_Text1 = textBox(Frame4, "St_Play_Text1", QStringLiteral("00"), 5);
    set_play_addr = button(Frame4, "set_play_addr", tr("设置播放地址"));
    Label8 = label(Frame4, "Label8", QStringLiteral("S"));
    St_Rec_Text = textBox(Frame4, "St_Rec_Text", QStringLiteral("00"), 5);
    Label9 = label(Frame4, "Label9", QStringLiteral("E"));
    St_Rec_Text1 = textBox(Frame4, "St_Rec_Text1", QStringLiteral("00"), 5);
    set_rec_addr = button(Frame4, "set_rec_addr", tr("设置录音地址"));
    Label10 = label(Frame4, "Label10", QStringLiteral("S"));
    SetEraseText = textBox(Frame4, "SetEraseText", QStringLiteral("Text1"));
    Label11 = label(Frame4, "Label11", QStringLiteral("E"));
    SetEraseText1 = textBox(Frame4, "SetEraseText1", QStringLiteral("Text1"));
    SetEraseAddrComm = button(Frame4, "SetEraseAddrComm", tr("设置擦除地址"));
    for (int i = 0; i < 5; ++i)
        lamp(Frame4, Right, "Right", i, colours::darkGreen);

    // Frame2: the vendor's contact line.
    Label16 = label(Frame2, "Label16", tr("Quillory 语音芯片工作台  技术支持: support@quillory.example"));

    // Only the captions of the two frames are green; their controls keep the window's colours.
    // (A palette copied whole from the window would count as unset and inherit the green.)
    const QColor text = palette().color(QPalette::WindowText);
    for (QGroupBox* captioned : {Frame4, Frame6})
        for (QWidget* child : captioned->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            QPalette pal = child->palette();
            pal.setColor(QPalette::WindowText, text);
            child->setPalette(pal);
        }

    // Place everything as designed.
    for (const ControlPlace& place : controlCatalogue()) {
        QWidget* widget = findChild<QWidget*>(QString::fromLatin1(place.name));
        Q_ASSERT_X(widget, "Form1::buildControls", place.name);
        if (widget)
            widget->setGeometry(twipsToPixels(place));
    }
}

void Form1::setTabOrder() {
    std::vector<std::pair<int, QWidget*>> order;
    for (const ControlPlace& place : controlCatalogue()) {
        QWidget* widget = findChild<QWidget*>(QString::fromLatin1(place.name));
        if (place.tab < 0 || !widget)
            continue;
        // Labels take a place in the order but never the focus.
        if (qobject_cast<QLabel*>(widget))
            continue;
        order.emplace_back(place.tab, widget);
    }
    std::sort(order.begin(), order.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (size_t i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1].second, order[i].second);
    // The window opens with the focus on the first control of the order.
    if (!order.empty())
        order.front().second->setFocus();
}

void Form1::setOperationsEnabled(bool enabled) {
    // The volume button only colours the level display, so it stays.
    for (QPushButton* button : findChildren<QPushButton*>())
        if (button != VoilceVal)
            button->setEnabled(enabled);
    for (QWidget* entry : std::initializer_list<QWidget*>{
             Combo1, PlayPoint, SetAddrText, St_Play_Text, St_Play_Text1, St_Rec_Text, St_Rec_Text1,
             SetEraseText, SetEraseText1, sound_in, SoundMon, SPKon})
        entry->setEnabled(enabled);
}

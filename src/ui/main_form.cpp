#include "ui/main_form.h"

#include <QEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>
#include <limits>
#include <stdexcept>
#include <vector>

#include "controller/field_hints.h"
#include "controller/looks.h"
#include "link/failure_notice.h"
#include "link/numeric_text.h"
#include "link/port_resolver.h"
#include "ui/app_icon.h"
#include "ui/colours.h"
#include "ui/fonts.h"
#include "ui/form_layout.h"

namespace quellbox::ui {
namespace {

namespace design = controller::design;

std::string translate(const char* context, const char* source) {
    return QCoreApplication::translate(context, source).toStdString();
}

QString qstring(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The poll cycle reads the address field on every tick. Text that is all ASCII (what a numeric
// field normally holds) is copied straight across, so a short one stays in std::string's own
// small buffer; toStdString() would first build a UTF-8 QByteArray on the heap.
std::string utf8(const QString& text) {
    std::string out;
    for (const QChar c : text) {
        if (c.unicode() >= 0x80) return text.toStdString();
        out.push_back(static_cast<char>(c.unicode()));
    }
    return out;
}

link::SerialPort& present(const std::unique_ptr<link::SerialPort>& comm) {
    if (!comm) throw std::invalid_argument("main_form needs a serial port");
    return *comm;
}

bool is_channel(int n) {
    return n >= 1 && n <= channel_count;
}

QLabel* make_label(QWidget* parent, const QString& name, const QString& text, const QRect& geometry,
                   TextSize size) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setGeometry(geometry);
    label->setFont(song_font(size));
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

// Field texts are black; text the spin bar could not take is shown red, kept as typed.
void show_refused(QLineEdit* field, bool refused) {
    QPalette palette = field->palette();
    const QColor colour = refused ? QColor(Qt::red) : QColor(Qt::black);
    palette.setColor(QPalette::Active, QPalette::Text, colour);
    palette.setColor(QPalette::Inactive, QPalette::Text, colour);
    field->setPalette(palette);
}

QLineEdit* make_field(QWidget* parent, const char* name, const QRect& geometry) {
    auto* field = new QLineEdit(qstring(design::initial_field_text), parent);
    field->setObjectName(QString::fromLatin1(name));
    field->setGeometry(geometry);
    field->setFont(song_font(TextSize::pt15));
    // Any characters and no length limit: the numeric reading rule judges the text, not the box.
    field->setMaxLength(std::numeric_limits<int>::max());
    show_refused(field, false);
    return field;
}

QPushButton* make_button(QWidget* parent, const char* name, const QString& text,
                         const QRect& geometry) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(geometry);
    button->setFont(song_font(TextSize::pt15_75));
    button->setAutoDefault(false);
    return button;
}

}  // namespace

MainForm::MainForm(std::unique_ptr<link::SerialPort> comm, QWidget* parent)
    : QWidget(parent), comm_(std::move(comm)), MSComm1(present(comm_)), notice_(this) {
    if (auto* object = dynamic_cast<QObject*>(&MSComm1)) {
        object->setObjectName(QStringLiteral("MSComm1"));
    }

    build_window();
    build_fields();
    build_channels();
    build_buttons();

    Timer1 = new link::PreciseTicker(std::chrono::milliseconds(poll_interval_ms), this);
    Timer1->setObjectName(QStringLiteral("Timer1"));

    // Every control now holds its design-time value; only from here on do changes reach the
    // logic, so building the window runs no handler.
    logic_ = std::make_unique<controller::MainFormLogic>(MSComm1, *this);
    wire_events();
    set_focus_order();
    refresh_port_tooltip();

    Timer1->start();
    chuankou_num->setFocus(Qt::OtherFocusReason);
}

MainForm::~MainForm() {
    // The port goes only after this body, and a real one may still report meanwhile: make sure
    // it can no longer call into the logic that is about to go.
    Timer1->stop();
    MSComm1.set_on_comm({});
    MSComm1.set_on_lost({});
    // Child widgets are deleted after this body; none of their last signals may reach it.
    logic_.reset();
}

void MainForm::build_window() {
    setObjectName(QStringLiteral("main_form"));
    setWindowTitle(qstring(window_caption));
    setWindowIcon(app_icon());
    // A fixed single border and no maximize box: the layout does not follow the window's size.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(layout::client_size);
}

void MainForm::build_fields() {
    Label3 = make_label(this, QStringLiteral("Label3"), qstring(design::caption_Label3),
                        layout::Label3, TextSize::pt15_75);
    chuankou_num = make_field(this, "chuankou_num", layout::chuankou_num);
    chuankou_num->installEventFilter(this);  // the tooltip is worked out when it is asked for
    VScroll2 = new SpinBar(1, this);
    VScroll2->setObjectName(QStringLiteral("VScroll2"));
    VScroll2->setGeometry(layout::VScroll2);
    VScroll2->setAccessibleName(qstring(design::name_VScroll2));
    Label3->setBuddy(chuankou_num);  // a screen reader names the field after its label

    Label5 = make_label(this, QStringLiteral("Label5"), qstring(design::caption_Label5),
                        layout::Label5, TextSize::pt15_75);
    add = make_field(this, "add", layout::add);
    VScroll1 = new SpinBar(1, this);
    VScroll1->setObjectName(QStringLiteral("VScroll1"));
    VScroll1->setGeometry(layout::VScroll1);
    VScroll1->setAccessibleName(qstring(design::name_VScroll1));
    Label5->setBuddy(add);
    explain_add_field(false);

    for (QLabel* label : {Label3, Label5}) {
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, Qt::black);
        label->setPalette(palette);
    }
}

void MainForm::build_channels() {
    for (int n = 1; n <= channel_count; ++n) {
        Picture1[n] = new IndicatorBox(n, controller::not_known_look.colour, this);
        Picture1[n]->setGeometry(layout::indicator(n));
        Label2[n] = Picture1[n]->caption();
        Label2[n]->setText(qstring(controller::not_known_look.caption));
        caption_written_[static_cast<std::size_t>(n)] = controller::not_known_look.caption;

        Label4[n] = make_label(this, QStringLiteral("Label4_%1").arg(n), channel_name(n),
                               layout::name_label(n), TextSize::pt15);
        Label4[n]->setForegroundRole(QPalette::ButtonText);
    }
}

void MainForm::build_buttons() {
    open_comm =
        make_button(this, "open_comm", qstring(controller::caption_open_port), layout::open_comm);
    openall = make_button(this, "openall", qstring(design::caption_openall), layout::openall);
    closeall = make_button(this, "closeall", qstring(design::caption_closeall), layout::closeall);
    // Return presses the focused button as Space does, as operators used to Windows expect.
    for (QPushButton* button : {open_comm, openall, closeall}) button->installEventFilter(this);
}

void MainForm::wire_events() {
    using Logic = controller::MainFormLogic;

    connect(Timer1, &link::PreciseTicker::timeout, this, [this] { forward(&Logic::Timer1_Timer); });
    connect(open_comm, &QPushButton::clicked, this, [this] { forward(&Logic::open_comm_Click); });
    connect(openall, &QPushButton::clicked, this, [this] { forward(&Logic::openall_Click); });
    connect(closeall, &QPushButton::clicked, this, [this] { forward(&Logic::closeall_Click); });

    // textChanged, not textEdited: a text the program writes raises the change event too, and
    // before the write returns, which the field/spin bar exchange relies on.
    connect(add, &QLineEdit::textChanged, this, [this] { forward(&Logic::add_Change); });
    connect(chuankou_num, &QLineEdit::textChanged, this, [this] {
        forward(&Logic::chuankou_num_Change);
        refresh_port_tooltip();
    });
    connect(VScroll1, &SpinBar::spin_value_changed, this,
            [this] { forward(&Logic::VScroll1_Change); });
    connect(VScroll2, &SpinBar::spin_value_changed, this,
            [this] { forward(&Logic::VScroll2_Change); });

    for (int n = 1; n <= channel_count; ++n) {
        connect(Picture1[n], &IndicatorBox::clicked, this, [this](int channel) {
            forward(&Logic::Picture1_Click, static_cast<std::int16_t>(channel));
        });
        connect(Label2[n], &CaptionLabel::clicked, this, [this](int channel) {
            forward(&Logic::Label2_Click, static_cast<std::int16_t>(channel));
        });
    }
}

void MainForm::set_focus_order() {
    std::vector<QWidget*> chain = {chuankou_num, open_comm, add,     openall,
                                   closeall,     VScroll1,  VScroll2};
    for (int n = 1; n <= channel_count; ++n) chain.push_back(Picture1[n]);
    for (std::size_t i = 1; i < chain.size(); ++i) setTabOrder(chain[i - 1], chain[i]);
}

// The port field says what its number reaches, or, while its text is refused, what it takes.
void MainForm::refresh_port_tooltip() {
    const QString text = chuankou_num->text();
    const auto number = link::text_to_int16(text.toStdString());
    const QString help = port_refused_ || !number
                             ? QString::fromStdString(controller::port_field_refused_hint(
                                   text.toStdString(), translate))
                             : link::describe_port(*number);
    chuankou_num->setToolTip(help);
    chuankou_num->setAccessibleDescription(help);
}

// A refused address sends nothing at all, so the channels soon turn 状态未知 and clicks go
// nowhere: the field itself says why.
void MainForm::explain_add_field(bool refused) {
    const QString help = QString::fromStdString(
        controller::add_field_hint(refused, add->text().toStdString(), translate));
    add->setToolTip(help);
    add->setAccessibleDescription(help);
}

void MainForm::centre_on_screen() {
    const QScreen* screen_here = screen() != nullptr ? screen() : QGuiApplication::primaryScreen();
    if (screen_here == nullptr) return;
    QRect area = frameGeometry();
    area.moveCenter(screen_here->availableGeometry().center());
    move(area.topLeft());
}

void MainForm::showEvent(QShowEvent* event) {
    refresh_port_tooltip();
    QWidget::showEvent(event);
}

bool MainForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == chuankou_num && event->type() == QEvent::ToolTip) refresh_port_tooltip();
    if (event->type() == QEvent::KeyPress) {
        auto* button = qobject_cast<QPushButton*>(watched);
        const auto* key = static_cast<QKeyEvent*>(event);
        if (button != nullptr && button->isEnabled() && !key->isAutoRepeat() &&
            (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)) {
            button->click();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

// --- WindowSurface -----------------------------------------------------------------------

void MainForm::set_indicator_colour(int n, Colour colour) {
    Q_ASSERT(is_channel(n));
    if (is_channel(n)) Picture1[n]->set_colour(colour);
}

Colour MainForm::indicator_colour(int n) const {
    Q_ASSERT(is_channel(n));
    return is_channel(n) ? Picture1[n]->colour() : 0;
}

void MainForm::set_caption(int n, std::string_view text) {
    Q_ASSERT(is_channel(n));
    if (!is_channel(n)) return;
    // A status frame rewrites all 16 captions; most are unchanged, so compare before
    // converting instead of building a QString for every write.
    auto& written = caption_written_[static_cast<std::size_t>(n)];
    if (text != written) {
        written.assign(text);
        Label2[n]->setText(qstring(text));
    }
}

void MainForm::set_openall_enabled(bool enabled) {
    openall->setEnabled(enabled);
}
void MainForm::set_closeall_enabled(bool enabled) {
    closeall->setEnabled(enabled);
}

void MainForm::set_timer_enabled(bool enabled) {
    // Enabling a running timer must not restart its interval.
    if (!enabled) {
        Timer1->stop();
    } else if (!Timer1->is_active()) {
        Timer1->start();
    }
}

void MainForm::set_port_field_enabled(bool enabled) {
    chuankou_num->setEnabled(enabled);
}

void MainForm::set_open_comm_caption(std::string_view text) {
    open_comm->setText(qstring(text));
}

std::string MainForm::add_text() const {
    return utf8(add->text());
}
void MainForm::set_add_text(std::string_view text) {
    add->setText(qstring(text));
}
std::string MainForm::port_text() const {
    return chuankou_num->text().toStdString();
}
void MainForm::set_port_text(std::string_view text) {
    chuankou_num->setText(qstring(text));
}

std::int16_t MainForm::vscroll1_value() const {
    return VScroll1->spin_value();
}
void MainForm::set_vscroll1_value(std::int16_t value) {
    VScroll1->set_spin_value(value);
}
std::int16_t MainForm::vscroll2_value() const {
    return VScroll2->spin_value();
}
void MainForm::set_vscroll2_value(std::int16_t value) {
    VScroll2->set_spin_value(value);
}

void MainForm::set_add_text_refused(bool refused) {
    show_refused(add, refused);
    explain_add_field(refused);
}
void MainForm::set_port_text_refused(bool refused) {
    port_refused_ = refused;
    show_refused(chuankou_num, refused);
    refresh_port_tooltip();
}

void MainForm::notify_open_failed(std::string_view port_text, const link::OpenResult& result) {
    const link::FailureNotice notice = link::open_failure_notice(result, qstring(port_text));
    notice_.show(qstring(window_caption), notice.what, notice.advice);
}

void MainForm::notify_port_lost(std::string_view device, std::string_view reason) {
    const link::FailureNotice notice = link::loss_notice(std::string(device), std::string(reason));
    notice_.show(qstring(window_caption), notice.what, notice.advice);
}

}  // namespace quellbox::ui

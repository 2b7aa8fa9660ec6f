#include "ui/views/matrix_window.h"

#include "app/session.h"
#include "ui/controls/my_button.h"
#include "ui/controls/scroller.h"
#include "ui/dialogs/edit_label_dialog.h"
#include "ui/models/matrix_geometry.h"
#include "ui/skin/skin.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGuiApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

namespace varento {

namespace geo = matrix_geometry;

namespace {

const QColor kInk{96, 124, 119};
const QColor kHoverFill{141, 169, 149};
const QColor kSumText{83, 83, 83};
const QColor kPaper{236, 238, 236};
const QColor kKeyText{225, 230, 236};
constexpr int kLabelChars = 12;

QFont labelFont(int length) {
    QFont font;
    font.setFamilies(
        {QStringLiteral("Tahoma"), QStringLiteral("DejaVu Sans"), QStringLiteral("Arial")});
    font.setPixelSize(geo::labelPixelSize(length));
    font.setWeight(QFont::DemiBold);
    return font;
}

// The keys' looks by row: off, hover, selected, selected hover, unusable.
std::array<int, 5> keyBitmaps(const BankButton& button) {
    if (button.command == matrix_command::sourceSum ||
        button.command == matrix_command::outputSum) {
        return {216, 217, 215, 215, 219};
    }
    return button.sourceRow ? std::array<int, 5>{133, 134, 132, 132, 219}
                            : std::array<int, 5>{136, 137, 135, 135, 219};
}

// A label in its box, squeezed along its length when it would not fit, so twelve
// characters always show.
void drawFitted(QPainter& p, const QRect& box, const QString& text) {
    const int width = p.fontMetrics().horizontalAdvance(text);
    if (width <= box.width()) {
        p.drawText(box, Qt::AlignLeft | Qt::AlignVCenter, text);
        return;
    }
    p.save();
    p.translate(box.topLeft());
    p.scale(static_cast<qreal>(box.width()) / width, 1.0);
    p.drawText(QRect(0, 0, width, box.height()), Qt::AlignLeft | Qt::AlignVCenter, text);
    p.restore();
}

// The source an output takes, -1 for none.
int sourceOf(const RoutingGrid& grid, int output) {
    for (int source = 0; source < kRouteSlots; ++source) {
        if (grid.cell(source, output) == kCellRouted) {
            return source;
        }
    }
    return -1;
}

} // namespace

MatrixWindow::MatrixWindow(Session& session, QWidget* parent)
    : QWidget(parent), model_(session, this) {
    setObjectName(QStringLiteral("Matrix Window"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    scroller_ = new Scroller(Qt::Vertical, geo::kScrollStep, this);
    scroller_->setContentLength(geo::kScrollRange + 1);
    connect(scroller_, &Scroller::scrolled, this, [this] {
        placeControls();
        update();
    });
    buildControls();
    // The read-out of the cell under the mouse follows every change of the grid: a
    // click, undo and redo, a routing reply.
    connect(&model_, &MatrixModel::gridChanged, this, [this] {
        refreshHint();
        update();
    });
    connect(&model_, &MatrixModel::labelsChanged, this, qOverload<>(&QWidget::update));
    connect(&model_, &MatrixModel::layoutChanged, this, &MatrixWindow::syncControls);
    connect(&model_, &MatrixModel::historyChanged, this, [this] {
        syncHistory();
        refreshHint();
    });
    syncControls();
}

// ---- controls ----------------------------------------------------------------------------

void MatrixWindow::buildControls() {
    for (const BankButton& button : model_.bankButtons()) {
        MyButton::Block block;
        block.bitmaps = keyBitmaps(button);
        block.drawText = true;
        block.text = button.caption;
        block.textColour = kKeyText;
        // The model says which key is lit: a release must not put it out again.
        block.toggle = true;
        MyButton* key = MyButton::create(this, button.command, button.x, button.y, block);
        connect(key, &MyButton::clicked, this, [this](int id, int) {
            model_.command(id);
            syncControls();
        });
        bankKeys_[button.command] = key;
    }
    matrixMode_ = new QCheckBox(QStringLiteral("Enable Matrix Mode"), this);
    matrixMode_->setObjectName(QString::number(matrix_command::matrixMode));
    connect(matrixMode_, &QCheckBox::clicked, &model_, &MatrixModel::setMatrixMode);
    extendedRouting_ = new QCheckBox(QStringLiteral("Enable Extended Routing"), this);
    extendedRouting_->setObjectName(QString::number(matrix_command::extendedRouting));
    connect(extendedRouting_, &QCheckBox::clicked, &model_, &MatrixModel::setExtendedRouting);
    for (QCheckBox* box : {matrixMode_, extendedRouting_}) {
        QPalette light = box->palette();
        light.setColor(QPalette::WindowText, kKeyText);
        box->setPalette(light);
        QFont small = box->font();
        small.setPixelSize(11);
        box->setFont(small);
    }

    MyButton::Block preset;
    preset.bitmaps = {187, 188, 191, 189, 0};
    preset.drawText = true;
    preset.text = model_.presetLabel();
    preset.textColour = kKeyText;
    preset_ = MyButton::create(this, matrix_command::presetButton, 632, 85, preset);
    connect(preset_, &MyButton::clicked, this, [this](int, int) {
        model_.presetClick((QGuiApplication::keyboardModifiers() & Qt::ShiftModifier) != 0);
    });
    preset_->hide(); // the window keeps it, like the unit's own remote panel

    for (int bus = 0; bus < 4; ++bus) {
        auto* box = new QComboBox(this);
        box->setObjectName(QString::number(matrix_command::busLevelFirst + bus));
        box->addItems(MatrixModel::busLevelTexts());
        box->setMaxVisibleItems(MatrixModel::kLevelCount);
        connect(box, &QComboBox::activated, this,
                [this, bus](int index) { model_.setBusLevel(bus, index); });
        busLevels_[static_cast<std::size_t>(bus)] = box;
    }
}

void MatrixWindow::syncControls() {
    for (const BankButton& button : model_.bankButtons()) {
        if (MyButton* key = bankKeys_[button.command]) {
            key->setText(button.caption);
            key->setState(button.pressed ? MyButton::On : MyButton::Off);
            key->setVisible(button.visible);
        }
    }
    const auto apply = [](QCheckBox* box, const CheckBoxState& state) {
        box->setChecked(state.checked);
        box->setEnabled(state.enabled);
        box->setVisible(state.visible);
    };
    apply(matrixMode_, model_.matrixMode());
    apply(extendedRouting_, model_.extendedRouting());
    preset_->setText(model_.presetLabel());
    preset_->setBitmap(model_.presetStored() ? 191 : 187);
    for (int bus = 0; bus < 4; ++bus) {
        QComboBox* box = busLevels_[static_cast<std::size_t>(bus)];
        box->setCurrentIndex(model_.busLevel(bus));
        box->setVisible(model_.busLevelsVisible());
    }
    placeControls();
    update();
}

// Every control scrolls with the grid.
void MatrixWindow::placeControls() {
    for (const BankButton& button : model_.bankButtons()) {
        if (MyButton* key = bankKeys_[button.command]) {
            key->move(button.x, button.y - scroll());
        }
    }
    matrixMode_->setGeometry(97, 85 - scroll(), 130, 18);
    extendedRouting_->setGeometry(572, 85 - scroll(), 160, 18);
    preset_->move(632, 85 - scroll());
    for (int bus = 0; bus < 4; ++bus) {
        busLevels_[static_cast<std::size_t>(bus)]->setGeometry(200 + 100 * bus, 212 - scroll(), 85,
                                                               22);
    }
}

void MatrixWindow::setEditMenu(QMenu* menu) {
    editMenu_ = menu;
    undo_ = menu->addAction(QStringLiteral("&Undo Routing"));
    undo_->setShortcut(QKeySequence::Undo);
    redo_ = menu->addAction(QStringLiteral("&Redo Routing"));
    redo_->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    connect(undo_, &QAction::triggered, &model_, &MatrixModel::undo);
    connect(redo_, &QAction::triggered, &model_, &MatrixModel::redo);
    syncHistory();
}

void MatrixWindow::syncHistory() {
    if (editMenu_ == nullptr) {
        return;
    }
    // The keys act only while the matrix is on screen.
    editMenu_->menuAction()->setVisible(isVisible());
    undo_->setEnabled(isVisible() && model_.canUndo());
    redo_->setEnabled(isVisible() && model_.canRedo());
}

void MatrixWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    model_.reload();
    syncHistory();
}

void MatrixWindow::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    syncHistory();
    if (hover_ && hint_) {
        hint_(QString());
    }
    hover_.reset();
}

// ---- scrolling -----------------------------------------------------------------------------

int MatrixWindow::scroll() const {
    return scroller_->offset();
}

void MatrixWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    scroller_->fit();
}

void MatrixWindow::wheelEvent(QWheelEvent* event) {
    scroller_->wheel(event);
}

// ---- mouse ---------------------------------------------------------------------------------

void MatrixWindow::mousePressEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    if (event->button() == Qt::RightButton) {
        editLabelAt(at);
        return;
    }
    if (event->button() != Qt::LeftButton) {
        return;
    }
    setFocus();
    if (const auto cell = geo::gridCellAt(at, scroll())) {
        model_.press(*cell);
    }
    update();
}

void MatrixWindow::mouseMoveEvent(QMouseEvent* event) {
    updateHover(event->position().toPoint());
}

void MatrixWindow::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !model_.dragStart()) {
        return;
    }
    if (const auto cell = geo::gridCellAt(event->position().toPoint(), scroll())) {
        model_.release(*cell, model_.dragDirection());
    } else {
        model_.cancelPress();
    }
    refreshHint();
    update();
}

void MatrixWindow::leaveEvent(QEvent* event) {
    QWidget::leaveEvent(event);
    if (hover_ && hint_) {
        hint_(QString());
    }
    hover_.reset();
    update();
}

void MatrixWindow::refreshHint() {
    if (hover_ && hint_) {
        hint_(hoverText(*hover_));
    }
}

void MatrixWindow::updateHover(QPoint at) {
    const bool sumOutputs = model_.outputBank() == kSumBank;
    const bool sumSources = model_.sourceBank() == kSumBank;
    const auto cell = geo::cellAt(at, scroll(), sumOutputs, sumSources);
    if (model_.dragStart()) {
        if (const auto current = geo::gridCellAt(at, scroll())) {
            model_.move(*current);
        }
    }
    if (cell != hover_ && hint_) {
        hint_(cell ? hoverText(*cell) : QString());
    }
    hover_ = cell;
    update();
}

void MatrixWindow::editLabelAt(QPoint at) {
    int index = -1;
    if (const auto row = geo::rowHeaderAt(at, scroll())) {
        index = model_.sourceLabelIndex(*row);
    } else if (const auto column = geo::columnHeaderAt(at, scroll())) {
        index = model_.outputLabelIndex(*column);
    }
    if (index < 0) {
        return; // a header outside the rows or columns of the banks
    }
    if (const auto text = EditLabelDialog::edit(model_.labelText(index), 17, this)) {
        model_.editLabel(index, *text);
    }
}

QString MatrixWindow::hoverText(GridCell cell) const {
    const int sourceLabel = model_.sourceLabelIndex(cell.row);
    const int outputLabel = model_.outputLabelIndex(cell.column);
    if (sourceLabel < 0 || outputLabel < 0) {
        return {};
    }
    const int source = model_.sourceBank() == kSumBank ? kFirstBus + cell.row
                                                       : kBankSize * model_.sourceBank() + cell.row;
    const int output = model_.outputBank() == kSumBank
                           ? kFirstBus + cell.column
                           : kBankSize * model_.outputBank() + cell.column;
    QString text = QStringLiteral("%1 (source %2) \u2192 %3 (output %4)")
                       .arg(model_.labelText(sourceLabel))
                       .arg(source)
                       .arg(model_.labelText(outputLabel))
                       .arg(output);
    if (output >= kFirstBus) {
        return text + (model_.grid().cell(source, output) == kCellRouted
                           ? QStringLiteral(": summed onto this bus")
                           : QStringLiteral(": not on this bus"));
    }
    const int now = sourceOf(model_.grid(), output);
    if (now < 0) {
        return text + QStringLiteral(": takes no source now");
    }
    const int nowLabel = now >= kFirstBus ? 384 + now - kFirstBus : now;
    return text +
           QStringLiteral(": takes %1 (source %2) now").arg(model_.labelText(nowLabel)).arg(now);
}

// ---- drawing -------------------------------------------------------------------------------

void MatrixWindow::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), kPaper);
    const bool sum = model_.outputBank() == kSumBank;
    p.drawPixmap(0, -scroll(), skin::bitmap(sum ? 218 : 138, devicePixelRatioF()));
    if (sum) {
        drawSumPanel(p);
    }
    drawHeaders(p);
    drawCells(p);
    drawHover(p);
}

void MatrixWindow::drawSumPanel(QPainter& p) const {
    p.setPen(QPen(kSumText, 1.0));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRect(190, 170 - scroll(), 410, 75));
    p.setFont(labelFont(11)); // small enough for four columns of "Output Level:"
    for (int bus = 0; bus < 4; ++bus) {
        const int x = 200 + 100 * bus;
        p.drawText(QPoint(x, 172 + 12 - scroll()), QStringLiteral("Bus %1").arg(bus + 1));
        p.drawText(QPoint(x, 192 + 12 - scroll()), QStringLiteral("Output Level:"));
    }
}

void MatrixWindow::drawHeaders(QPainter& p) const {
    p.setPen(kInk);
    const int columns = model_.outputBank() == kSumBank ? geo::kSumCells : geo::kCells;
    for (int c = 0; c < columns; ++c) {
        const QString text = model_.labelText(model_.outputLabelIndex(c)).left(kLabelChars);
        p.save();
        p.setFont(labelFont(static_cast<int>(text.size())));
        // Read from the bottom up, ending just above the first row.
        p.translate(96 + geo::kCell * c, 169 - scroll());
        p.rotate(-90);
        drawFitted(p, QRect(0, 0, 56, 17), text);
        p.restore();
    }
    const int rows = model_.sourceBank() == kSumBank ? geo::kSumCells : geo::kCells;
    for (int r = 0; r < rows; ++r) {
        const QString text = model_.labelText(model_.sourceLabelIndex(r)).left(kLabelChars);
        p.setFont(labelFont(static_cast<int>(text.size())));
        drawFitted(p, QRect(geo::kRowHeaderX + 2, geo::kGridY + geo::kCell * r - scroll(), 60, 20),
                   text);
    }
}

void MatrixWindow::drawCells(QPainter& p) const {
    const Banks banks = model_.banks();
    const bool sum = banks.output == kSumBank;
    const int columns = sum ? geo::kSumCells : geo::kCells;
    const qreal ratio = devicePixelRatioF();
    const QPixmap here = skin::bitmap(151, ratio);
    const QPixmap elsewhere = skin::bitmap(152, ratio);
    const RoutingGrid& grid = model_.grid();
    // The buses as sources have four rows; the rest of the grid takes no clicks
    // and shows nothing.
    const int rows = banks.source == kSumBank ? kBusCount : geo::kCells;
    for (int r = 0; r < rows; ++r) {
        const int y = 170 + geo::kCell * r - scroll();
        if (y + geo::kCell < 0 || y > height()) {
            continue;
        }
        for (int c = 0; c < columns; ++c) {
            const int output = kBankSize * banks.output + c;
            // The row of every bank: a mark for the shown bank, a ring for another.
            for (int bank = 0; bank <= kSumBank; ++bank) {
                if ((bank == kSumBank && r >= kBusCount) ||
                    grid.cell(kBankSize * bank + r, output) != kCellRouted) {
                    continue;
                }
                if (bank == banks.source) {
                    p.drawPixmap(93 + geo::kCell * c, y, here);
                } else if (!sum) {
                    p.drawPixmap(93 + geo::kCell * c, y, elsewhere);
                }
            }
        }
    }
}

void MatrixWindow::drawHover(QPainter& p) const {
    if (!hover_) {
        return;
    }
    const QRect cell = geo::cellRect(*hover_, scroll());
    p.setPen(QPen(kInk, 1.0));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRect(QPoint(cell.left(), 110 - scroll()), cell.bottomRight()));
    p.drawRect(QRect(QPoint(32, cell.top()), cell.bottomRight()));
    const auto square = [&](GridCell at) {
        const QRect r = geo::cellRect(at, scroll());
        p.fillRect(QRect(r.left() + 3, r.top() + 3, 12, 12), kHoverFill);
    };
    if (model_.dragDirection() && model_.dragStart()) {
        for (const GridCell& at : model_.dragPreview()) {
            square(at);
        }
    } else {
        square(*hover_);
    }
}

} // namespace varento

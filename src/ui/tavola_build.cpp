// SPDX-License-Identifier: GPL-3.0-or-later
// Builds the window from its design table.
#include "answerfield.h"
#include "backdrop.h"
#include "design.h"
#include "designfont.h"
#include "designlabel.h"
#include "picturebutton.h"
#include "pictures.h"
#include "tavola.h"

#include <QHash>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>

#include <cmath>

namespace {

QString toQString(std::u16string_view text)
{
    return QStringView(text.data(), qsizetype(text.size())).toString();
}

QString toQString(std::string_view text)
{
    return QString::fromLatin1(text.data(), qsizetype(text.size()));
}

int toPixels(int twips)
{
    return (twips + design::twipsPerPixel / 2) / design::twipsPerPixel;
}

QRect toPixels(const design::Twips &rect)
{
    return {toPixels(rect.left), toPixels(rect.top), toPixels(rect.width), toPixels(rect.height)};
}

QColor toColour(design::Rgb rgb)
{
    return QColor(rgb.r, rgb.g, rgb.b);
}

QCursor pictureCursor(std::string_view picture, int size, qreal ratio, QPoint hotSpot)
{
    const QPixmap pixmap = renderPicture(toQString(picture), QSize(size, size), ratio);
    return pixmap.isNull() ? QCursor() : QCursor(pixmap, hotSpot.x(), hotSpot.y());
}

void setColours(QWidget *widget, const design::Control &design, QPalette::ColorRole foreRole,
                QPalette::ColorRole backRole)
{
    QPalette palette = widget->palette();
    if (design.fore.set)
        palette.setColor(foreRole, toColour(design.fore));
    if (design.back.set)
        palette.setColor(backRole, toColour(design.back));
    widget->setPalette(palette);
}

QWidget *createLabel(const design::Control &design, QWidget *parent)
{
    auto *label = new DesignLabel(design.look & design::FitsText, parent);
    label->setText(toQString(design.text));
    label->setAlignment(((design.look & design::Centred) ? Qt::AlignHCenter : Qt::AlignLeft) |
                        Qt::AlignTop);
    if (design.look & design::Border) {
        label->setFrameStyle(QFrame::Box | QFrame::Plain);
        label->setLineWidth(1);
    }
    label->setAutoFillBackground(design.look & design::Opaque);
    setColours(label, design, QPalette::WindowText, QPalette::Window);
    return label;
}

QWidget *createTextField(const design::Control &design, QWidget *parent)
{
    auto *field = new AnswerField(parent);
    field->setMaxLength(design::answerMaxLength);
    // Composed text would bypass the key filter.
    field->setAttribute(Qt::WA_InputMethodEnabled, false);
    setColours(field, design, QPalette::Text, QPalette::Base);
    return field;
}

QWidget *createPictureButton(const design::Control &design, QWidget *parent, qreal ratio)
{
    auto *button = new PictureButton(parent);
    button->setText(toQString(design.text));
    const QSize size(design::buttonPictureSize, design::buttonPictureSize);
    const auto picture = [&](std::string_view path) {
        return path.empty() ? QPixmap() : renderPicture(toQString(path), size, ratio);
    };
    button->setIconSize(size);
    button->setPictures(picture(design.picture), picture(design.pressedPicture),
                        picture(design.disabledPicture));
    setColours(button, design, QPalette::ButtonText, QPalette::Button);
    return button;
}

QWidget *createPicture(const design::Control &design, QWidget *parent, qreal ratio)
{
    auto *image = new QLabel(parent);
    image->setPixmap(renderPicture(toQString(design.picture), toPixels(design.rect).size(), ratio));
    return image;
}

QWidget *createControl(const design::Control &design, QWidget *parent, qreal ratio)
{
    switch (design.kind) {
    case design::Kind::Label:
        return createLabel(design, parent);
    case design::Kind::TextField:
        return createTextField(design, parent);
    case design::Kind::PictureButton:
        return createPictureButton(design, parent, ratio);
    case design::Kind::PushButton:
        return new QPushButton(toQString(design.text), parent);
    case design::Kind::Picture:
        return createPicture(design, parent, ratio);
    }
    return nullptr;
}

} // namespace

void Tavola::buildControls()
{
    const qreal ratio = devicePixelRatioF();
    setWindowTitle(toQString(design::caption));
    setWindowIcon(QIcon(renderPicture(toQString(design::icon), QSize(32, 32), ratio)));

    auto *surface = new Backdrop(this);
    surface->setCursor(pictureCursor(design::pointer, design::pointerSize, ratio,
                                     QPoint(design::pointerSize / 4, design::pointerSize / 8)));
    const QCursor iconPointer =
        pictureCursor(design::iconPointer, design::iconPointerSize, ratio,
                      QPoint(design::iconPointerSize / 2, design::iconPointerSize / 2));

    QHash<QString, QWidget *> built;
    for (const design::Control &control : design::controls) {
        QWidget *widget = createControl(control, surface, ratio);
        widget->setObjectName(toQString(control.name));
        widget->setGeometry(toPixels(control.rect));
        widget->setFont(toFont(control.font, widget->font()));
        if (!control.toolTip.empty())
            widget->setToolTip(toQString(control.toolTip));
        if (control.look & design::IconPointer)
            widget->setCursor(iconPointer);
        widget->setEnabled(!(control.look & design::StartsDisabled));
        built.insert(widget->objectName(), widget);
    }
    const auto find = [&built]<typename Widget>(const char *name, Widget *&member) {
        member = static_cast<Widget *>(built.value(QLatin1String(name)));
        Q_ASSERT(member);
    };
    find("txtAnswer", txtAnswer);
    find("cmdNext", cmdNext);
    find("cmdExit", cmdExit);
    find("Command1", Command1);
    find("Image1", Image1);
    find("lblNum1", lblNum1);
    find("lblMessage", lblMessage);
    find("lblScore", lblScore);
    find("lblScore1", lblScore1);
    find("lblScore2", lblScore2);
    find("lblconto", lblconto);
    find("lblnome1", lblnome1);
    find("lblnome", lblnome);
    find("lblpunti", lblpunti);

    for (const design::Accessible &accessible : design::accessibles) {
        QWidget *widget = built.value(toQString(accessible.control));
        if (auto *label = dynamic_cast<DesignLabel *>(widget))
            label->setAccessiblePrefix(toQString(accessible.name));
        else
            widget->setAccessibleName(toQString(accessible.name));
        widget->setAccessibleDescription(toQString(accessible.description));
    }

    // The system's own pointer over the exit button (the field has its own).
    cmdExit->setCursor(Qt::ArrowCursor);
    Command1->stackUnder(cmdNext);
    setTabOrder(cmdExit, cmdNext);
    setTabOrder(cmdNext, txtAnswer);
    setTabOrder(txtAnswer, Command1);

    setCentralWidget(surface);
    m_backdrop = surface;

    // The restored window: its client area where it was designed, the menu
    // bar above it.
    const QRect client = toPixels(design::restoredClient);
    const int menuHeight = menuBar()->sizeHint().height();
    setGeometry(client.x(), client.y() - menuHeight, client.width(), client.height() + menuHeight);
}

void Tavola::buildMenu()
{
    QMenuBar *bar = menuBar();
    bar->clear();
    QHash<QString, QMenu *> menus;
    for (const design::MenuItem &item : design::menu) {
        const QString name = toQString(item.name);
        const QString text = toQString(item.text);
        QAction *action = nullptr;
        switch (item.place) {
        case design::Place::BarMenu: {
            QMenu *menu = bar->addMenu(text);
            menus.insert(name, menu);
            action = menu->menuAction();
            break;
        }
        case design::Place::BarItem:
            action = bar->addAction(text);
            break;
        case design::Place::InMenu:
            action = menus.value(toQString(item.parent))->addAction(text);
            break;
        }
        action->setObjectName(name);
        if (name == QLatin1String("Next"))
            Next = action;
    }
}

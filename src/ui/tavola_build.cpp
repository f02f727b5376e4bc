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
#include "unseen.h"

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

QCursor pictureCursor(const design::Pointer &pointer, qreal ratio)
{
    const QPixmap pixmap =
        renderPicture(toQString(pointer.picture), QSize(pointer.size, pointer.size), ratio);
    return pixmap.isNull() ? QCursor() : QCursor(pixmap, pointer.hotX, pointer.hotY);
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
    if (design.look & design::Border)
        label->setFrameStyle(QFrame::Box | QFrame::Plain); // one pixel wide
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
    setWindowIcon(QIcon(
        renderPicture(toQString(design::icon), QSize(design::iconSize, design::iconSize), ratio)));

    auto *surface = new Backdrop(this);
    surface->setCursor(pictureCursor(design::pointer, ratio));
    const QCursor iconPointer = pictureCursor(design::iconPointer, ratio);

    for (std::size_t i = 0; i < design::controls.size(); ++i) {
        const design::Control &control = design::controls[i];
        QWidget *widget = createControl(control, surface, ratio);
        widget->setObjectName(toQString(control.name));
        widget->setGeometry(toPixels(control.rect));
        widget->setFont(toFont(control.font, widget->font()));
        if (!control.toolTip.empty())
            widget->setToolTip(toQString(control.toolTip));
        if (control.look & design::IconPointer)
            widget->setCursor(iconPointer);
        if (control.look & design::SystemPointer)
            widget->setCursor(Qt::ArrowCursor);
        widget->setEnabled(!(control.look & design::StartsDisabled));
        if (control.look & design::Unseen)
            hideFromScreenReaders(widget);
        m_controls[i] = widget;
    }
    const auto named = [this](std::string_view name) { return m_controls[design::indexOf(name)]; };
    for (const design::Accessible &accessible : design::accessibles) {
        QWidget *widget = named(accessible.control);
        if (auto *label = dynamic_cast<DesignLabel *>(widget))
            label->setAccessiblePrefix(toQString(accessible.name));
        else
            widget->setAccessibleName(toQString(accessible.name));
        widget->setAccessibleDescription(toQString(accessible.description));
    }
    for (std::size_t i = 1; i < design::tabOrder.size(); ++i)
        setTabOrder(named(design::tabOrder[i - 1]), named(design::tabOrder[i]));

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

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The design of the window Tavola, as data: every control with its text,
// font, colours, rectangle and look, the pictures, the focus order and the
// menu bar. The window is built from these tables by one factory
// (tavola_build.cpp). Two kinds of value live elsewhere, by their nature:
// the faces that stand in for the designed fonts on this machine
// (designfont.cpp), and the texts the game writes at run time (the quiz
// units, beside the handlers that write them).

#include <array>
#include <cstdint>
#include <string_view>

namespace design {

/// Positions and sizes are in twips, as the window was drawn; Qt's logical
/// pixels are 1/96 inch, so a pixel is 15 twips and Qt scales for high DPI.
inline constexpr int twipsPerPixel = 15;
inline constexpr int logicalDpi = 1440 / twipsPerPixel;

struct Twips
{
    int left, top, width, height;
};

struct Rgb
{
    std::uint8_t r, g, b;
    bool set = true;
};
inline constexpr Rgb systemColour{0, 0, 0, false};
inline constexpr Rgb yellow{255, 255, 0};
inline constexpr Rgb lightYellow{255, 255, 128};
inline constexpr Rgb blue{0, 0, 255};
inline constexpr Rgb red{255, 0, 0};
inline constexpr Rgb cyan{0, 255, 255};
inline constexpr Rgb teal{0, 192, 192};
inline constexpr Rgb purple{192, 0, 192};

/// The faces the window was drawn with; each maps to its closest face on the
/// machine (see fontFamilies in tavola_build.cpp).
enum class Face
{
    SystemDefault,
    MsSansSerif,
    Arial,
    ArialBlack,
    TimesNewRoman
};

struct Font
{
    Face face;
    double points;
    bool bold = false;
    bool italic = false;
};

enum class Kind
{
    Label,
    TextField,
    PictureButton,
    PushButton,
    Picture
};

enum Look : unsigned
{
    Plain = 0,
    Opaque = 1 << 0,        // fills its rectangle with its back colour
    Border = 1 << 1,        // a single-line frame
    Centred = 1 << 2,       // text centred (labels are left-aligned otherwise)
    FitsText = 1 << 3,      // resizes to each new text, keeping left and top
    IconPointer = 1 << 4,   // the system's icon pointer over the control
    SystemPointer = 1 << 5, // the system's arrow, not the window's own pointer
    StartsDisabled = 1 << 6,
    Unseen = 1 << 7, // wholly behind another control: no screen reader tells of it
};

struct Control
{
    std::string_view name;
    Kind kind;
    std::u16string_view text;
    Font font;
    Rgb fore;
    Rgb back;
    Twips rect;
    unsigned look;
    std::u16string_view toolTip = {};
    // Pictures, as resource paths: the face at rest, pressed and disabled.
    std::string_view picture = {};
    std::string_view pressedPicture = {};
    std::string_view disabledPicture = {};
};

/// What a screen reader says of a control: its name (for a label that shows
/// a value, the name comes before the value) and what it is for.
struct Accessible
{
    std::string_view control;
    std::u16string_view name;
    std::u16string_view description;
};

inline constexpr Font buttonFont{Face::MsSansSerif, 8.25, true};
inline constexpr Font sumFont{Face::Arial, 72, true};
inline constexpr Font counterFont{Face::TimesNewRoman, 36, true};
inline constexpr Font counterCaptionFont{Face::MsSansSerif, 18};
inline constexpr Font recordFont{Face::MsSansSerif, 24};

// In the order the window is built: a later control lies above an earlier one.
inline constexpr std::array controls{
    // A button with no handler, wholly inside cmdNext: built first, it lies
    // behind it.
    Control{"Command1",
            Kind::PushButton,
            u"Command1",
            {Face::SystemDefault, 0},
            systemColour,
            systemColour,
            {4680, 5640, 855, 615},
            Unseen},
    Control{"txtAnswer",
            Kind::TextField,
            u"",
            sumFont,
            blue,
            lightYellow,
            {8160, 0, 2775, 1770},
            Plain,
            u"Inserisci il risultato e  premi il tasto  Invio"},
    Control{"cmdNext",
            Kind::PictureButton,
            u"&Nuovo calcolo",
            buttonFont,
            systemColour,
            teal,
            {4200, 5280, 1815, 1095},
            IconPointer | StartsDisabled,
            u"Go",
            ":/pictures/smile.svg",
            ":/pictures/bigsmile.svg",
            ":/pictures/neutral.svg"},
    Control{"cmdExit",
            Kind::PictureButton,
            u"E&xit",
            buttonFont,
            systemColour,
            purple,
            {7680, 5280, 2055, 1095},
            SystemPointer,
            u"Ti prego resta ancora, forse riuscirai a farmi uscire ",
            ":/pictures/noentry.svg"},
    Control{"Label7",
            Kind::Label,
            u"1",
            sumFont,
            blue,
            yellow,
            {5160, 120, 855, 1695},
            Opaque | Border | Centred},
    Control{"lblpunti",
            Kind::Label,
            u"0",
            recordFont,
            yellow,
            systemColour,
            {10080, 7560, 270, 555},
            FitsText},
    Control{"Label13",
            Kind::Label,
            u"con punti",
            recordFont,
            yellow,
            systemColour,
            {7680, 7560, 1965, 555},
            FitsText},
    Control{"lblnome",
            Kind::Label,
            u"nome",
            {Face::MsSansSerif, 24, true},
            yellow,
            systemColour,
            {3120, 7560, 1275, 555},
            FitsText},
    Control{"Label12",
            Kind::Label,
            u"Il record  è di ",
            recordFont,
            yellow,
            systemColour,
            {120, 7560, 3255, 615},
            Plain},
    Control{"lblnome1",
            Kind::Label,
            u"",
            {Face::MsSansSerif, 13.5, true},
            cyan,
            systemColour,
            {240, 6480, 165, 420},
            Border | FitsText},
    Control{"Label14",
            Kind::Label,
            u"Sfidante",
            {Face::MsSansSerif, 13.5},
            cyan,
            systemColour,
            {720, 5520, 1425, 420},
            Border | Centred | FitsText},
    Control{"lblconto",
            Kind::Label,
            u"00.00.00",
            {Face::ArialBlack, 12, true},
            yellow,
            systemColour,
            {0, 2280, 1575, 495},
            Border},
    Control{"Label11",
            Kind::Label,
            u"Tempo restante",
            {Face::MsSansSerif, 9.75},
            yellow,
            systemColour,
            {0, 1320, 1575, 375},
            Plain},
    Control{"Label3",
            Kind::Label,
            u"Risposte totali",
            counterCaptionFont,
            blue,
            systemColour,
            {7440, 3360, 2340, 495},
            Border | FitsText},
    Control{"Label1",
            Kind::Label,
            u"Risposte errate",
            counterCaptionFont,
            red,
            systemColour,
            {3840, 3360, 2520, 495},
            Border | FitsText},
    Control{"lblScore2",
            Kind::Label,
            u"0",
            counterFont,
            blue,
            systemColour,
            {8310, 4080, 555, 885},
            Border | Centred | FitsText},
    Control{"lblScore1",
            Kind::Label,
            u"0",
            counterFont,
            red,
            systemColour,
            {4830, 4080, 540, 885},
            Border | Centred | FitsText},
    Control{"Image1",
            Kind::Picture,
            u"",
            {Face::SystemDefault, 0},
            systemColour,
            systemColour,
            {480, 1680, 480, 480},
            Plain,
            u"Clicca sotto di me per impostare il Timer",
            ":/pictures/stopwatch.svg"},
    Control{
        "Label4", Kind::Label, u"=", sumFont, yellow, systemColour, {6600, 0, 615, 1575}, Centred},
    Control{"Label2",
            Kind::Label,
            u"+",
            {Face::Arial, 72},
            yellow,
            systemColour,
            {3960, 240, 615, 1455},
            Centred},
    Control{"lblNum1",
            Kind::Label,
            u"",
            sumFont,
            blue,
            yellow,
            {2400, 120, 495, 1725},
            Opaque | Border | Centred | FitsText},
    Control{"lblScore",
            Kind::Label,
            u"0",
            counterFont,
            systemColour,
            systemColour,
            {1080, 4080, 555, 885},
            Border | Centred | FitsText,
            u"Questo è il tuo punteggio. Forza con il  record"},
    Control{"lblMessage",
            Kind::Label,
            u"",
            {Face::MsSansSerif, 24, true, true},
            red,
            systemColour,
            {1680, 2040, 6615, 615},
            Centred | IconPointer},
    Control{"Label6",
            Kind::Label,
            u"Risposte esatte",
            counterCaptionFont,
            cyan,
            systemColour,
            {240, 3360, 2565, 495},
            Border | Centred | FitsText},
};

/// The index of the control with this name in the table. Evaluated when
/// the program is built, a name that is not there does not compile.
constexpr std::size_t indexOf(std::string_view name)
{
    for (std::size_t i = 0; i < controls.size(); ++i)
        if (controls[i].name == name)
            return i;
    throw "no control of that name in the design table";
}

/// The order the Tab key moves the focus in.
inline constexpr std::array<std::string_view, 4> tabOrder{"cmdExit", "cmdNext", "txtAnswer",
                                                          "Command1"};

inline constexpr std::array accessibles{
    Accessible{"lblNum1", u"Numero", u"Il numero a cui aggiungere uno"},
    Accessible{"txtAnswer", u"Risultato", u"Scrivi quanto fa il numero più uno, poi premi Invio"},
    Accessible{"lblMessage", u"Giudizio", u"Dice se la risposta è esatta o sbagliata"},
    Accessible{"lblScore", u"Risposte esatte", u"Quante risposte esatte hai dato"},
    Accessible{"lblScore1", u"Risposte errate", u"Quante risposte sbagliate hai dato"},
    Accessible{"lblScore2", u"Risposte totali", u"Quante risposte hai dato in tutto"},
    Accessible{"lblconto", u"Tempo restante", u"Ore, minuti e secondi che restano alla gara"},
    Accessible{"lblnome1", u"Sfidante", u"Il tuo nome"},
    Accessible{"lblnome", u"Detentore del record", u"Chi ha fatto il record"},
    Accessible{"lblpunti", u"Punti del record", u"Il record da battere"},
    Accessible{"cmdNext", u"Nuovo calcolo", u"Chiede un nuovo calcolo"},
    Accessible{"cmdExit", u"Esci", u"Termina la gara e registra il record se l'hai battuto"},
};

// Every control the two tables above name is in the design table.
static_assert([] {
    for (std::string_view name : tabOrder)
        indexOf(name);
    for (const Accessible &accessible : accessibles)
        indexOf(accessible.control);
    return true;
}());

/// The window itself.
inline constexpr std::u16string_view caption = u"Sequilla ";
inline constexpr std::u16string_view minimisedCaption = u"Fattorama";
/// The client area (below the menu bar) in the restored state, from the
/// screen's top-left corner.
inline constexpr Twips restoredClient{2040, 1620, 11880, 8310};
inline constexpr std::string_view icon = ":/pictures/icon.svg";
inline constexpr int iconSize = 32;
/// Pointers: picture, side in pixels, hot spot.
struct Pointer
{
    std::string_view picture;
    int size;
    int hotX, hotY;
};
inline constexpr Pointer pointer{":/pictures/pointer.svg", 48, 12, 6}; // the cartoon's nose
inline constexpr Pointer iconPointer{":/pictures/iconpointer.svg", 32, 16, 16};
inline constexpr int timerIntervalMs = 1000;
/// The answer box takes at most this many characters ("100" and a spare).
inline constexpr int answerMaxLength = 4;
/// Side of the pictures on the two buttons, in pixels.
inline constexpr int buttonPictureSize = 44;

/// The menu bar: two credits with their drop-downs, then "nuovo" and the
/// dedication, which sit on the bar itself.
enum class Place
{
    BarMenu,
    BarItem,
    InMenu
};
struct MenuItem
{
    std::string_view name;
    std::u16string_view text;
    Place place;
    std::string_view parent = {}; // for an item in a drop-down
};
inline constexpr std::array menu{
    MenuItem{"wp", u"Sequilla: un quiz per la scuola primaria", Place::BarMenu},
    MenuItem{"v", u"Fatto per le bambine e i bambini che imparano a contare", Place::InMenu, "wp"},
    MenuItem{"Ciao", u"Scritto dagli sviluppatori di Sequilla", Place::BarMenu},
    MenuItem{"a", u"Idee e segnalazioni: parlane con la tua maestra o il tuo maestro",
             Place::InMenu, "Ciao"},
    MenuItem{"Next", u"nuovo", Place::BarItem},
    MenuItem{"agli", u"*** Dedicato a tutti gli alunni che ogni giorno fanno un passo avanti ***",
             Place::BarItem},
};

} // namespace design

#include "editors/config/configeditor.h"

#include "app/appstate.h"
#include "app/framecatalog.h"
#include "app/framehost.h"
#include "app/languagetargets.h"
#include "app/framehost.h"
#include "app/messagetable.h"
#include "editors/messages/messageeditor.h"
#include "editors/messages/messagefile.h"
#include "platform/codepage.h"
#include "platform/fileops.h"
#include "platform/prompts.h"
#include "ui/skinaccessible.h"
#include "ui/skinbutton.h"
#include "ui/skinpanel.h"
#include "ui/skinslider.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace voxa {
namespace {

constexpr int UnchangedWord = ConfigUnchanged;

// The built-in frequency labels of FM channels 288..303.
constexpr const char *BuiltInFMLabels[16] = {"88.0", "88.2", "88.4", "88.6", "88.8", "89.0", "89.2", "87.9",
                                             "88.1", "88.3", "88.5", "88.7", "88.9", "89.1", "89.3", "89.5"};

// Which setting of an audio page a word is: 1 Volume ... 8 Auto Volume.
int audioSetting(int word)
{
    return word >= 1 && word <= 16 ? (word - 1) % 8 + 1 : 0;
}

void showBoxMessage(const QString &text)
{
    MessageBox box;
    box.text = text;
    box.placement = Placement::centered();
    prompts().message(box);
}

// Why a base name cannot go into a name slot, or empty. A name whose first
// two code-page bytes are 0xFF 0xFF would read back as "leave unchanged",
// and characters outside the code page would name another file.
QString unstorableName(const QString &name)
{
    const QString cut = name.left(ConfigNameLength);
    const QByteArray bytes = toCodePage(cut);
    if (!isCodePageText(cut) || bytes.startsWith("\xFF\xFF")) {
        FileError e;
        e.reason = FileFailure::CannotStore;
        e.subject = name;
        return e.text();
    }
    return {};
}

}  // namespace

// Tabs in the colours of the skin.
const QString PageStyle = QStringLiteral(
    "QTabWidget::pane { border: 1px solid #1b2947; top: -1px; }"
    "QTabBar::tab { background: #2d406b; color: white; border: 1px solid #1b2947; border-bottom: none;"
    " padding: 3px 10px; margin-right: 1px; }"
    "QTabBar::tab:selected { background: #0080ff; }"
    "QTabBar::tab:!selected:hover { background: #3d5690; }"
    "QTabBar::tab:disabled { color: #8090b0; }");

TConfigEditor::TConfigEditor(FrameHost *host, QWidget *parent) : TEditorFrame(host, parent)
{
    for (size_t i = 0; i < m_fmLabels.size(); ++i)
        m_fmLabels[i] = QString::fromLatin1(BuiltInFMLabels[i]);
    buildPages();
    registerLanguage();
    resize(FrameSize);
    ResetConfig();
}

TConfigEditor::~TConfigEditor()
{
    qDeleteAll(m_tracks);
    qDeleteAll(m_groups);
}

TConfigEditor::Track *TConfigEditor::track(int word)
{
    return word >= 1 && word <= ConfigUsedWords ? m_trackOf[size_t(word)] : nullptr;
}

TConfigEditor::Group *TConfigEditor::group(int word)
{
    return word >= 1 && word <= ConfigUsedWords ? m_groupOf[size_t(word)] : nullptr;
}

QString TConfigEditor::FMLabel(int channel) const
{
    if (channel < 288 || channel > 303)
        return QString::number(channel);
    return m_fmLabels[size_t(channel - 288)];
}

// ================================================================ building

namespace {

QCheckBox *changeBox(QWidget *parent)
{
    auto *box = new QCheckBox(QStringLiteral("Change"), parent);
    return box;
}

TSkinPanel *pagePanel(QTabWidget *pages, QWidget *&page, const QString &caption)
{
    page = new QWidget;
    auto *layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    auto *panel = new TSkinPanel(page);
    panel->setColor(QColor(47, 64, 106));
    QPalette pal = panel->palette();
    for (auto role : {QPalette::WindowText, QPalette::ButtonText, QPalette::Text})
        pal.setColor(role, Qt::white);
    pal.setColor(QPalette::Disabled, QPalette::WindowText, QColor(150, 160, 190));
    pal.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(150, 160, 190));
    panel->setPalette(pal);
    layout->addWidget(panel);
    pages->addTab(page, caption);
    auto *grid = new QGridLayout(panel);
    grid->setContentsMargins(8, 6, 8, 6);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(4);
    return panel;
}

QGridLayout *gridOf(QWidget *panel)
{
    return static_cast<QGridLayout *>(panel->layout());
}

// The editor's pages in tab order: the four the settings table names, then
// the setup files.
struct PageLayout {
    const char *caption;
    int stretchRow;            // takes the height left below the controls
    int stretchColumns[2];     // take the width left (-1: none)
    int minimumColumn, minimumWidth;
};

constexpr PageLayout Pages[] = {
    {"Party Audio", 6, {1, 4}, 3, 10},
    {"Car Audio", 6, {1, 4}, 3, 10},
    {"Playmode", 4, {1, 3}, 1, 260},
    {"Hardware", 6, {1, 4}, 3, 10},
    {"Setup Files", 3, {3, -1}, 1, 260},
};
constexpr int PageCount = int(std::size(Pages));

int pageOf(const char *caption)
{
    for (int i = 0; i < PageCount; ++i)
        if (qstrcmp(Pages[i].caption, caption) == 0)
            return i;
    return -1;
}

// Where a setting's controls sit on its page. A track bar fills a row:
// label, bar and Change box in columns 0..2. A choice group's box spans its
// cells and its Change box the column after them. Levels and two-state
// groups go on the left, the wide groups on the right.
struct SettingPlace {
    int word = 0;
    int row = 0, column = 0, rowSpan = 1, columnSpan = 1;
    int itemColumns = 0;   // 0: a track bar
    bool starred = false;  // "* ": unused by the VOXA-C
};

constexpr SettingPlace Places[] = {
    {1, 0, 0, 1, 1, 0, false},  {2, 1, 0, 1, 1, 0, false},  {3, 2, 0, 1, 1, 0, false},
    {4, 3, 0, 1, 1, 0, false},  {5, 0, 4, 3, 1, 3, false},  {6, 4, 0, 1, 2, 2, false},
    {7, 3, 4, 2, 1, 4, false},  {8, 5, 0, 1, 2, 2, false},  {18, 1, 0, 1, 2, 2, false},
    {19, 2, 0, 1, 2, 2, false}, {20, 3, 0, 1, 1, 0, false}, {21, 0, 0, 1, 1, 0, true},
    {22, 1, 0, 1, 1, 0, true},  {23, 2, 0, 1, 1, 0, true},  {24, 3, 0, 1, 1, 0, false},
    {25, 4, 0, 1, 1, 0, true},  {26, 0, 4, 2, 1, 2, true},  {27, 2, 4, 2, 1, 2, true},
    {28, 4, 4, 2, 1, 2, true},
};

// The second audio page repeats the first, starred. Word 17 has no place of
// its own: the MyRadio combo sets it.
SettingPlace placeOf(int word)
{
    const int own = word >= 9 && word <= 16 ? word - 8 : word;
    for (SettingPlace p : Places) {
        if (p.word != own)
            continue;
        p.starred = p.starred || own != word;
        p.word = word;
        return p;
    }
    return {};
}

// The file-name rows: which of the editor's names, on which page and row,
// choosing among which files.
struct NamePlace {
    int name;  // index into m_names
    int slot;
    int page, row;
    const char *label;
    const char *folder;
    const char *extension;
};

constexpr NamePlace NamePlaces[] = {
    {3, MyRadioSlot, 2, 0, "MyRadio", "voxa\\myradio", "mra"},
    {2, MessageSlot, 4, 0, "Message", "voxa\\config", "mgs"},
    {1, LogoSlot, 4, 1, "Logo", "voxa\\config", "lce"},
    {0, PlaydisplaySlot, 4, 2, "Playdisplay", "voxa\\config", "ply"},
};

}  // namespace

TConfigEditor::Track &TConfigEditor::addTrack(QWidget *panel, int word)
{
    const ConfigSetting &s = *configSetting(word);
    auto *t = new Track;
    t->word = word;
    t->label = new QLabel(panel);
    t->track = new TSkinSlider(panel);
    t->track->setMin(s.minimum);
    t->track->setMax(s.maximum);
    t->track->setFrequency(1);
    t->track->setMinimumSize(140, 20);
    t->track->setMaximumHeight(20);
    t->change = changeBox(panel);
    // Read out by the setting they change, not by their own "Change".
    NameAfter(t->track, t->label);
    NameAfter(t->change, t->label);
    t->resetPosition = s.defaultValue;
    connect(t->track, &TSkinSlider::OnChange, this, [this, t] { trackChanged(*t); });
    connect(t->change, &QCheckBox::clicked, this, [this, t](bool on) { ChangeClick(t->change, on); });
    m_tracks << t;
    m_trackOf[size_t(word)] = t;
    m_changeBoxes << t->change;
    return *t;
}

TConfigEditor::Group &TConfigEditor::addGroup(QWidget *panel, int word, int columns)
{
    const ConfigSetting &s = *configSetting(word);
    auto *g = new Group;
    g->word = word;
    g->box = new QGroupBox(panel);
    g->buttons = new QButtonGroup(g->box);
    auto *grid = new QGridLayout(g->box);
    grid->setContentsMargins(6, 2, 6, 2);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(0);
    // Items fill the columns one after the other, top to bottom.
    const int count = int(s.choices.size());
    const int perColumn = (count + columns - 1) / columns;
    for (int i = 0; i < count; ++i) {
        auto *item = new QRadioButton(QString::fromLatin1(s.choices[i].label), g->box);
        g->buttons->addButton(item, i);
        grid->addWidget(item, i % perColumn, i / perColumn);
        g->items << item;
        connect(item, &QRadioButton::clicked, this, [this, g, i] { GroupClick(g->word, i); });
    }
    g->change = changeBox(panel);
    NameAfter(g->change, g->box);
    g->tickDefault = configChoiceIndex(word, s.defaultValue);
    connect(g->change, &QCheckBox::clicked, this, [this, g](bool on) { ChangeClick(g->change, on); });
    m_groups << g;
    m_groupOf[size_t(word)] = g;
    m_changeBoxes << g->change;
    return *g;
}

void TConfigEditor::addName(QWidget *panel, int name, int slot, int row, const char *label, const char *folder,
                            const char *extension)
{
    NameChoice &n = m_names[size_t(name)];
    n.slot = slot;
    n.label = new QLabel(QString::fromLatin1(label), panel);
    n.combo = new QComboBox(panel);
    n.change = changeBox(panel);
    NameAfter(n.change, n.label);
    n.label->setBuddy(n.combo);
    n.folder = QString::fromLatin1(folder);
    n.extension = QString::fromLatin1(extension);
    QGridLayout *grid = gridOf(panel);
    grid->addWidget(n.label, row, 0);
    grid->addWidget(n.combo, row, 1);
    grid->addWidget(n.change, row, 2);
}

void TConfigEditor::buildPage(int page, QWidget *panel)
{
    for (const NamePlace &p : NamePlaces)
        if (p.page == page)
            addName(panel, p.name, p.slot, p.row, p.label, p.folder, p.extension);
    QGridLayout *grid = gridOf(panel);
    for (int word = 1; word <= ConfigUsedWords; ++word) {
        const ConfigSetting &s = *configSetting(word);
        const SettingPlace p = placeOf(word);
        if (p.word == 0 || pageOf(s.page) != page)
            continue;
        const QString caption = (p.starred ? QStringLiteral("* ") : QString()) + QString::fromLatin1(s.name);
        if (p.itemColumns == 0) {
            Track &t = addTrack(panel, word);
            t.label->setText(caption);
            grid->addWidget(t.label, p.row, 0);
            grid->addWidget(t.track, p.row, 1);
            grid->addWidget(t.change, p.row, 2);
        } else {
            Group &g = addGroup(panel, word, p.itemColumns);
            g.box->setTitle(caption);
            grid->addWidget(g.box, p.row, p.column, p.rowSpan, p.columnSpan);
            grid->addWidget(g.change, p.row, p.column + p.columnSpan, p.rowSpan, 1);
        }
    }
    const PageLayout &layout = Pages[page];
    grid->setRowStretch(layout.stretchRow, 1);
    for (int column : layout.stretchColumns)
        if (column >= 0)
            grid->setColumnStretch(column, 1);
    grid->setColumnMinimumWidth(layout.minimumColumn, layout.minimumWidth);
}

void TConfigEditor::buildPages()
{
    ConfigPage = new QTabWidget(MainPanel());
    ConfigPage->setStyleSheet(PageStyle);
    ConfigPage->setGeometry(6, 6, FrameSize.width() - 12, FrameSize.height() - 68);
    std::array<QWidget *, PageCount> pages{};
    std::array<TSkinPanel *, PageCount> panels{};
    for (int i = 0; i < PageCount; ++i)
        panels[size_t(i)] = pagePanel(ConfigPage, pages[size_t(i)], QString::fromLatin1(Pages[i].caption));
    PartyUsePage = pages[0];
    CarUsePanel = panels[0];
    CarUsePage = pages[1];
    PartyUsePanel = panels[1];
    PlayHardwarePage = pages[2];
    PlayHardwarePanel = panels[2];
    BrowserDispPage = pages[3];
    BrowserDispPanel = panels[3];
    SetupPage = pages[4];
    SetupPanel = panels[4];
    for (int i = 0; i < PageCount; ++i)
        buildPage(i, panels[size_t(i)]);

    for (NameChoice &n : m_names) {
        n.combo->setMaxVisibleItems(12);
        m_changeBoxes << n.change;
        connect(n.change, &QCheckBox::clicked, this, [this, box = n.change](bool on) { ChangeClick(box, on); });
        connect(n.combo, &QComboBox::activated, this, [this, combo = n.combo](int i) { ComboChoose(combo, i); });
    }

    StarLabel = new QLabel(QStringLiteral("* Unused by the VOXA-C"), MainPanel());
    StarLabel->setGeometry(10, FrameSize.height() - 55, FrameSize.width() - 110, 25);
    QPalette pal = StarLabel->palette();
    pal.setColor(QPalette::WindowText, Qt::white);
    StarLabel->setPalette(pal);

    VolumeTrack = track(1)->track;
    PVolumeTrack = track(9)->track;
    BassTrack = track(3)->track;
    PBassTrack = track(11)->track;
    TrebleTrack = track(4)->track;
    PTrebleTrack = track(12)->track;
    IntroPlayTrack = track(20)->track;
    FMChannelTrack = track(23)->track;
    HDDStandbyTrack = track(24)->track;
    MyRadioCombo = MyRadio().combo;
    MessageCombo = Message().combo;
    LogoCombo = Logo().combo;
    PlayDispCombo = PlayDisp().combo;
    MyRadioChange = MyRadio().change;
    MessageChange = Message().change;
    LogoChange = Logo().change;
    PlayDispChange = PlayDisp().change;
}

void TConfigEditor::registerLanguage()
{
    auto &targets = LanguageTargets::instance();
    targets.add(55, this, [this](const QString &t) {
        for (QCheckBox *box : m_changeBoxes)
            box->setText(t);
    });
    const auto label = [this](int word) { return [this, word](const QString &t) { track(word)->label->setText(t); }; };
    const auto title = [this](int word) {
        return [this, word](const QString &t) { group(word)->box->setTitle(t); };
    };
    const auto item = [this](int word, int index) {
        return [this, word, index](const QString &t) { group(word)->items[index]->setText(t); };
    };
    for (int i = 0; i < 4; ++i) {
        targets.add(56 + i, this, label(1 + i));
        targets.addStarred(56 + i, this, label(9 + i));
    }
    const int groupWords[] = {6, 8, 7, 5};  // Loudness, Auto Volume, DynaBass, Equalizer
    for (int i = 0; i < 4; ++i) {
        targets.add(60 + i, this, title(groupWords[i]));
        targets.addStarred(60 + i, this, title(groupWords[i] + 8));
    }
    for (int w : {6, 14, 8, 16, 19})
        targets.add(64, this, item(w, 1));
    for (int w : {6, 14, 8, 16, 19, 7, 15})
        targets.add(65, this, item(w, 0));
    targets.add(65, this, item(18, 3));
    for (int i = 0; i < 3; ++i) {
        targets.add(66 + i, this, item(7, 1 + i));
        targets.add(66 + i, this, item(15, 1 + i));
    }
    for (int i = 0; i < 6; ++i) {
        targets.add(69 + i, this, item(5, i));
        targets.add(69 + i, this, item(13, i));
    }
    targets.add(76, this, title(18));
    targets.add(77, this, title(19));
    targets.add(78, this, label(20));
    for (int i = 0; i < 3; ++i)
        targets.add(79 + i, this, item(18, i));
    targets.addStarred(82, this, label(21));
    targets.addStarred(83, this, label(22));
    targets.add(84, this, label(24));
    targets.addStarred(85, this, label(23));
    targets.addStarred(86, this, label(25));
    targets.addStarred(87, this, title(28));
    targets.addStarred(88, this, title(26));
    targets.addStarred(89, this, title(27));
    targets.add(90, this, item(28, 0));
    targets.add(90, this, item(26, 0));
    targets.add(91, this, item(28, 1));
    targets.add(92, this, item(26, 1));
    targets.add(93, this, item(27, 0));
    targets.add(94, this, item(27, 1));
    targets.add(95, this, [this](const QString &t) { PlayDisp().label->setText(t); });
    targets.add(96, this, [this](const QString &t) { Message().label->setText(t); });
    targets.add(97, this, [this](const QString &t) { Logo().label->setText(t); });
    for (int i = 0; i < 5; ++i)
        targets.add(98 + i, this, [this, i](const QString &t) { ConfigPage->setTabText(i, t); });
    targets.addStarred(202, this, [this](const QString &t) { StarLabel->setText(t); });
}

// ============================================================ the document

void TConfigEditor::touch()
{
    if (!m_loading)
        setModified(true);
}

void TConfigEditor::setTicked(QCheckBox *box, bool ticked)
{
    box->setChecked(ticked);
    enableFor(box);
}

void TConfigEditor::enableFor(QCheckBox *box)
{
    const bool on = box->isChecked();
    for (Track *t : m_tracks)
        if (t->change == box)
            t->track->setEnabled(on);
    for (Group *g : m_groups)
        if (g->change == box)
            g->box->setEnabled(on);
    for (NameChoice &n : m_names)
        if (n.change == box)
            n.combo->setEnabled(on);
}

void TConfigEditor::showTrackCaption(Track &t, int value)
{
    // The FM channel is shown by the frequency the message set gives it.
    t.track->setCaption(t.word == 23 ? FMLabel(value) + QStringLiteral(" MHz") : configValueText(t.word, value));
}

namespace {

int selectedItem(const QButtonGroup *g)
{
    return g->checkedId();
}

void selectItem(QButtonGroup *g, int index)
{
    if (index >= 0 && index < g->buttons().size()) {
        g->button(index)->setChecked(true);
        return;
    }
    // No selection: an exclusive group cannot uncheck its last button.
    g->setExclusive(false);
    for (QAbstractButton *b : g->buttons())
        b->setChecked(false);
    g->setExclusive(true);
}

}  // namespace

void TConfigEditor::ResetConfig()
{
    const bool wasLoading = m_loading;
    m_loading = true;
    for (Group *g : m_groups)
        selectItem(g->buttons, -1);
    for (Track *t : m_tracks) {
        t->track->setPosition(t->resetPosition);
        showTrackCaption(*t, t->resetPosition);
    }
    for (NameChoice &n : m_names)
        n.combo->clear();
    for (QCheckBox *box : m_changeBoxes)
        setTicked(box, false);
    takeFMLabels();
    messageSets().WorkingMessages = messageSets().ReferenceMessages;
    showTrackCaption(*track(23), FMChannelTrack->Position());
    m_doc = ConfigDocument();
    fillCombos();
    m_loading = wasLoading;
}

void TConfigEditor::fillCombos()
{
    const QString drive = QString(appState().DriveLetter) + QStringLiteral(":\\");
    for (NameChoice &n : m_names) {
        n.combo->clear();
        n.combo->addItem(n.slot == MyRadioSlot ? QStringLiteral("MyRadio Off") : QStringLiteral("DEFAULT"));
        const QString suffix = QLatin1Char('.') + n.extension;
        for (const fs::Entry &e : fs::listDir(drive + n.folder)) {
            if (e.isDir || !e.name.endsWith(suffix, Qt::CaseInsensitive) || e.name.size() <= suffix.size())
                continue;
            n.combo->addItem(e.name.chopped(4));
        }
        n.combo->setCurrentIndex(0);
        n.lastIndex = 0;
    }
}

void TConfigEditor::takeFMLabels()
{
    for (const MessageEntry &e : messageSets().ReferenceMessages)
        if (e.Id >= 288 && e.Id <= 303)
            m_fmLabels[size_t(e.Id - 288)] = fromCodePage(e.text).left(4);
}

// ============================================================ user actions

void TConfigEditor::ChangeClick(QCheckBox *box, bool ticked)
{
    box->setChecked(ticked);
    for (Track *t : m_tracks)
        if (t->change == box)
            return trackTicked(*t, ticked);
    for (Group *g : m_groups)
        if (g->change == box)
            return groupTicked(*g, ticked);
    for (NameChoice &n : m_names)
        if (n.change == box)
            return nameTicked(n, ticked);
}

void TConfigEditor::TrackMoved(TSkinSlider *slider, int position)
{
    slider->setPosition(position);
    for (Track *t : m_tracks)
        if (t->track == slider)
            trackChanged(*t);
}

void TConfigEditor::GroupClick(int word, int index)
{
    if (Group *g = group(word))
        groupClicked(*g, index);
}

void TConfigEditor::ComboChoose(QComboBox *combo, int index)
{
    for (NameChoice &n : m_names)
        if (n.combo == combo)
            nameChosen(n, index);
}

void TConfigEditor::trackTicked(Track &t, bool ticked)
{
    setTicked(t.change, ticked);
    m_doc.setWord(t.word, qint16(ticked ? t.track->Position() : UnchangedWord));
    if (ticked)
        showTrackCaption(t, t.track->Position());
    touch();
    // Bass and Treble are the equalizer's "User" setting.
    const int setting = audioSetting(t.word);
    if (ticked && (setting == 3 || setting == 4)) {
        Group &eq = *group(t.word - setting + 5);
        selectItem(eq.buttons, 0);
        setTicked(eq.change, true);
        m_doc.setWord(eq.word, qint16(configChoiceValue(eq.word, 0)));
    }
}

void TConfigEditor::trackChanged(Track &t)
{
    const int position = t.track->Position();
    showTrackCaption(t, position);
    if (!isVisible() || !t.change->isChecked())
        return;
    trackTicked(t, true);
}

void TConfigEditor::groupTicked(Group &g, bool ticked)
{
    const int setting = audioSetting(g.word);
    if (!ticked && setting == 5) {
        const int base = g.word - 5;
        if (track(base + 3)->change->isChecked() || track(base + 4)->change->isChecked()) {
            // Bass and Treble need the equalizer: the untick is refused.
            setTicked(g.change, true);
            return;
        }
    }
    setTicked(g.change, ticked);
    if (ticked) {
        if (selectedItem(g.buttons) < 0)
            selectItem(g.buttons, g.tickDefault);
        const int item = selectedItem(g.buttons);
        // A loaded value outside the choices stays as it is.
        if (item >= 0)
            m_doc.setWord(g.word, qint16(configChoiceValue(g.word, item)));
    } else {
        m_doc.setWord(g.word, qint16(UnchangedWord));
    }
    touch();
}

void TConfigEditor::groupClicked(Group &g, int index)
{
    selectItem(g.buttons, index);
    if (!g.change->isChecked())
        return;
    m_doc.setWord(g.word, qint16(configChoiceValue(g.word, index)));
    touch();
    if (audioSetting(g.word) == 5) {
        const int base = g.word - 5;
        for (int w : {base + 3, base + 4})
            trackTicked(*track(w), index == 0);
    }
}

bool TConfigEditor::storeName(NameChoice &n)
{
    const int index = n.combo->currentIndex();
    const QString name = index > 0 ? n.combo->itemText(index) : QString();
    if (!name.isEmpty()) {
        const QString why = unstorableName(name);
        if (!why.isEmpty()) {
            showBoxMessage(why);
            return false;
        }
    }
    m_doc.setName(n.slot, name.isEmpty() ? ConfigName::empty() : ConfigName::fromBaseName(name));
    if (n.slot == MyRadioSlot)
        m_doc.setWord(17, name.isEmpty() ? MyRadioOffValue : MyRadioOnValue);
    return true;
}

void TConfigEditor::nameTicked(NameChoice &n, bool ticked)
{
    setTicked(n.change, ticked);
    if (ticked) {
        if (n.combo->currentIndex() < 0 && n.combo->count() > 0)
            n.combo->setCurrentIndex(0);
        if (!storeName(n)) {
            n.combo->setCurrentIndex(0);
            storeName(n);
        }
        n.lastIndex = n.combo->currentIndex();
        if (n.slot == MessageSlot)
            applyMessageChoice();
    } else {
        m_doc.setName(n.slot, ConfigName::unchanged());
        if (n.slot == MyRadioSlot)
            m_doc.setWord(17, qint16(UnchangedWord));
    }
    touch();
}

void TConfigEditor::nameChosen(NameChoice &n, int index)
{
    n.combo->setCurrentIndex(index);
    if (!n.change->isChecked())
        return;
    if (!storeName(n)) {
        n.combo->setCurrentIndex(n.lastIndex);
        return;
    }
    n.lastIndex = index;
    touch();
    if (n.slot == MessageSlot)
        applyMessageChoice();
}

void TConfigEditor::applyMessageChoice()
{
    const int index = MessageCombo->currentIndex();
    const QString drive = QString(appState().DriveLetter);
    if (index <= 0)
        LoadMessageReference(drive + QStringLiteral(":\\voxa\\manager\\default.mgs"), true);
    else
        LoadMessageReference(drive + QStringLiteral(":\\voxa\\Config\\") + MessageCombo->itemText(index)
                                 + QStringLiteral(".mgs"),
                             false);
    takeFMLabels();
    messageSets().WorkingMessages = messageSets().ReferenceMessages;
    showTrackCaption(*track(23), m_doc.word(23) == UnchangedWord ? FMChannelTrack->Position() : m_doc.word(23));
}

// ========================================================= framework steps

bool TConfigEditor::Load()
{
    ResetConfig();
    const FileResult<ConfigDocument> read = ReadConfigFile(FileName());
    if (!read) {
        if (read.error().reason == FileFailure::WrongFormat) {
            ReportWrongFormat();
        } else {
            const FileError &e = read.error();
            showBoxMessage(e.reason == FileFailure::CannotOpen ? msg(Msg::CannotOpenFile) : e.text());
        }
        return false;
    }
    WriteTitle();
    m_loading = true;
    const ConfigDocument &file = *read;
    for (int w = 1; w <= ConfigUsedWords; ++w)
        m_doc.setWord(w, file.word(w));
    for (int slot : {PlaydisplaySlot, LogoSlot, MessageSlot, MyRadioSlot})
        m_doc.setName(slot, file.name(slot));

    for (Track *t : m_tracks) {
        const int v = m_doc.word(t->word);
        if (v == UnchangedWord)
            continue;
        t->track->setPosition(v);
        showTrackCaption(*t, v);
        setTicked(t->change, true);
    }
    for (Group *g : m_groups) {
        const int v = m_doc.word(g->word);
        if (v == UnchangedWord)
            continue;
        selectItem(g->buttons, configChoiceIndex(g->word, v));
        setTicked(g->change, true);
    }
    for (NameChoice *n : {&PlayDisp(), &Logo(), &Message()}) {
        const ConfigName name = m_doc.name(n->slot);
        if (name.isUnchanged())
            continue;
        bool apply = true;
        int index = 0;
        if (name.isName()) {
            index = n->combo->findText(name.text(), Qt::MatchFixedString);
            if (index < 0) {
                // The file is gone: the player's default instead.
                index = 0;
                m_doc.setName(n->slot, ConfigName::empty());
                apply = false;
            }
        }
        n->combo->setCurrentIndex(index);
        n->lastIndex = index;
        setTicked(n->change, true);
        if (n->slot == MessageSlot && apply)
            applyMessageChoice();
    }
    const int radio = m_doc.word(17);
    if (radio != UnchangedWord) {
        int index = 0;
        if (radio == MyRadioOnValue) {
            const ConfigName name = m_doc.name(MyRadioSlot);
            index = name.isName() ? MyRadioCombo->findText(name.text(), Qt::MatchFixedString) : -1;
            if (index <= 0) {
                index = 0;
                m_doc.setWord(17, MyRadioOffValue);
                m_doc.setName(MyRadioSlot, ConfigName::empty());
            }
        }
        MyRadioCombo->setCurrentIndex(index);
        MyRadio().lastIndex = index;
        setTicked(MyRadioChange, true);
    }
    m_loading = false;
    setModified(false);
    m_keepLoaded = true;
    return true;
}

bool TConfigEditor::Save()
{
    TEditorFrame::Save();
    WriteTitle();
    const WriteResult w = WriteConfigFile(FileName(), m_doc);
    if (w.failed()) {
        showBoxMessage(w.reason == FileFailure::CannotCreate ? msg(Msg::OpenForWriteError) : w.text());
        return false;
    }
    setModified(false);
    return true;
}

void TConfigEditor::Activate()
{
    TEditorFrame::Activate();
    if (FileName().isEmpty())
        WriteTitle();
    if (!m_keepLoaded)
        ResetConfig();
    setModified(false);
}

void TConfigEditor::Reset()
{
    m_keepLoaded = false;
    setFileName(QString());
    TEditorFrame::Reset();
}

void TConfigEditor::FirstShowSetup()
{
    TEditorFrame::FirstShowSetup();
    // The pages show the part of the frame's picture that lies under them.
    const QImage &frame = MainPanel()->Background();
    if (frame.isNull())
        return;
    ConfigPage->setCurrentIndex(ConfigPage->currentIndex());
    const QRect under(CarUsePanel->mapTo(MainPanel(), QPoint(0, 0)), CarUsePanel->size());
    const QImage picture = frame.copy(under);
    for (TSkinPanel *panel : {CarUsePanel, PartyUsePanel, PlayHardwarePanel, BrowserDispPanel, SetupPanel})
        panel->setBackground(picture);
}

void TConfigEditor::RefreshTitle()
{
    if (isVisible())
        WriteTitle();
}

void RegisterConfigEditor()
{
    RegisterFrame(FrameKind::ConfigEditor, [](FrameHost &host, QWidget *parent) -> QWidget * {
        return new TConfigEditor(&host, parent);
    });
}

}  // namespace voxa

#pragma once
// The config editor: every setting of a config file on five pages, each with
// a "Change" box that decides whether the file changes that setting at all.
// Every action on a control updates the document at once, so saving only
// writes it out.
#include "app/editorframe.h"
#include "editors/config/configfile.h"

#include <QList>
#include <array>
#include <functional>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QRadioButton;
class QTabWidget;

namespace voxa {

class TSkinSlider;

class TConfigEditor : public TEditorFrame {
    Q_OBJECT
public:
    static constexpr QSize FrameSize{680, 346};

    TConfigEditor(FrameHost *host, QWidget *parent);
    ~TConfigEditor() override;

    // ------------------------------------------------------------ controls
    QTabWidget *ConfigPage = nullptr;
    QWidget *PartyUsePage = nullptr, *CarUsePage = nullptr, *PlayHardwarePage = nullptr,
            *BrowserDispPage = nullptr, *SetupPage = nullptr;
    TSkinPanel *CarUsePanel = nullptr, *PartyUsePanel = nullptr, *PlayHardwarePanel = nullptr,
               *BrowserDispPanel = nullptr, *SetupPanel = nullptr;
    QLabel *StarLabel = nullptr;

    // A track bar with its label and Change box.
    struct Track {
        int word = 0;
        QLabel *label = nullptr;
        TSkinSlider *track = nullptr;
        QCheckBox *change = nullptr;
        int resetPosition = 0;
    };
    // A choice group with its Change box.
    struct Group {
        int word = 0;
        QGroupBox *box = nullptr;
        QButtonGroup *buttons = nullptr;
        QList<QRadioButton *> items;
        QCheckBox *change = nullptr;
        int tickDefault = 0;  // the item ticking the Change box selects
    };
    // A file-name combo of the Setup files page (or MyRadio).
    struct NameChoice {
        int slot = 0;
        QLabel *label = nullptr;
        QComboBox *combo = nullptr;
        QCheckBox *change = nullptr;
        QString folder;     // below voxa, as "voxa\\config"
        QString extension;  // "ply"
        int lastIndex = 0;  // to put back a refused choice
    };

    // Words 1..28 by number: exactly one of track(n) and group(n) is set,
    // except for word 17 (MyRadio), which is MyRadioCombo.
    Track *track(int word);
    Group *group(int word);
    NameChoice &PlayDisp() { return m_names[0]; }
    NameChoice &Logo() { return m_names[1]; }
    NameChoice &Message() { return m_names[2]; }
    NameChoice &MyRadio() { return m_names[3]; }

    // Named controls (shortcuts into the tables above).
    TSkinSlider *VolumeTrack = nullptr, *PVolumeTrack = nullptr, *BassTrack = nullptr, *PBassTrack = nullptr,
                *TrebleTrack = nullptr, *PTrebleTrack = nullptr, *IntroPlayTrack = nullptr,
                *FMChannelTrack = nullptr, *HDDStandbyTrack = nullptr;
    QComboBox *MyRadioCombo = nullptr, *MessageCombo = nullptr, *LogoCombo = nullptr,
              *PlayDispCombo = nullptr;
    QCheckBox *MyRadioChange = nullptr, *MessageChange = nullptr, *LogoChange = nullptr,
              *PlayDispChange = nullptr;

    // ---------------------------------------------------------- the document
    const ConfigDocument &Document() const { return m_doc; }
    bool KeepLoaded() const { return m_keepLoaded; }
    // The frequency label of FM channel 288..303.
    QString FMLabel(int channel) const;

    // ------------------------------------------------------- framework steps
    bool Load() override;
    bool Save() override;
    void Activate() override;
    void Reset() override;
    void FirstShowSetup() override;
    void RefreshTitle() override;
    QString KindWord() const override { return QStringLiteral("Config "); }

    // The new document: every control back to its start, every box unticked.
    void ResetConfig();

    // ------------------------------------------------- user actions (tests)
    // Ticks or unticks a Change box as a click would.
    void ChangeClick(QCheckBox *box, bool ticked);
    // Moves a track bar as the user would (only while the editor is visible).
    void TrackMoved(TSkinSlider *track, int position);
    // Clicks item index of a choice group.
    void GroupClick(int word, int index);
    // Chooses an item of a combo.
    void ComboChoose(QComboBox *combo, int index);

private:
    void buildPages();
    void buildPage(int page, QWidget *panel);
    Track &addTrack(QWidget *panel, int word);
    Group &addGroup(QWidget *panel, int word, int columns);
    void addName(QWidget *panel, int name, int slot, int row, const char *label, const char *folder,
                 const char *extension);
    void registerLanguage();

    void trackChanged(Track &t);
    void trackTicked(Track &t, bool ticked);
    void groupTicked(Group &g, bool ticked);
    void groupClicked(Group &g, int index);
    void nameTicked(NameChoice &n, bool ticked);
    void nameChosen(NameChoice &n, int index);
    bool storeName(NameChoice &n);
    void applyMessageChoice();
    void takeFMLabels();
    void fillCombos();
    void showTrackCaption(Track &t, int value);
    void setTicked(QCheckBox *box, bool ticked);
    void enableFor(QCheckBox *box);
    // The page rules for the audio words of the page that holds word.
    int pageBase(int word) const { return word <= 8 ? 0 : 8; }
    void touch();

    ConfigDocument m_doc;
    bool m_keepLoaded = false;
    bool m_loading = false;
    std::array<QString, 16> m_fmLabels;
    std::array<Track *, ConfigUsedWords + 1> m_trackOf{};
    std::array<Group *, ConfigUsedWords + 1> m_groupOf{};
    QList<Track *> m_tracks;
    QList<Group *> m_groups;
    std::array<NameChoice, 4> m_names;
    QList<QCheckBox *> m_changeBoxes;
};

// The look of the editors' page controls.
extern const QString PageStyle;

// Registers the config editor's frame factory.
void RegisterConfigEditor();

}  // namespace voxa

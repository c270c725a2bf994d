#pragma once
// "Абонент": the modal dialog in which one address-book subscriber is created
// or edited: number, name, address, notes, the own ring sound with a personal
// volume and crescendo, the rules for recording, the alert and the ring, and a
// quick-call button. Each use is ClearSubscriber, optionally SetSubscriber,
// exec(), and GetSubscriber after OK.
#include <QDialog>
#include <functional>
#include <memory>

class QCheckBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSlider;
class QSpinBox;
class QToolButton;
class TConfig;
class THotButtonFile;
class TMediaPlayer;

// The values exchanged with the dialog.
struct TSubscriber {
    QString Phone;
    QString Name;
    bool Creschendo = false;
    int Volume = -1;      // 0..100, -1 for no personal volume
    int HotButton = 0;    // 1..18, 0 for none
    int Attributes = 0;   // TPersonAttributes bits
    QString SoundFile;
    QString Notes;
    QString Address;
};

class TNewPerson : public QDialog {
    Q_OBJECT
public:
    static const QString BusyQuestion;   // "Кнопка быстрого вызова использована для другого абонента. Заменить?"
    static const QString BusyCaption;    // "Кнопка занята"

    // Config gives the regional number length; HotButtons answers which
    // buttons are bound; MainPlayer is closed before a preview plays. Each may be null.
    TNewPerson(const TConfig *Config, const THotButtonFile *HotButtons, TMediaPlayer *MainPlayer,
               QWidget *parent = nullptr);
    ~TNewPerson() override;

    void ClearSubscriber();
    void SetSubscriber(const TSubscriber &Values);
    TSubscriber GetSubscriber() const;
    // Puts a number into the phone field (copying a journal row's number).
    void SetPhone(const QString &Phone);

    // The "Кнопка занята" question, OK/Cancel; tests answer it.
    std::function<bool()> ConfirmReplaceButton;
    // The open dialog of "Обзор"; returns the chosen file or an empty text.
    std::function<QString()> ChooseSoundFile;

    // The undetermined number: "?" as many times as the regional numbers are long.
    QString UndefinedNumber() const;
    bool NumberValid() const;
    bool Playing() const;

public slots:
    // OK: the quick-call check, then accept().
    void BitBtn1Click();
    void PlayBtnClick();

protected:
    void hideEvent(QHideEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildLayout();
    void phoneChanged();
    void pair(QCheckBox *A, QCheckBox *B);
    void stopPlayer();
    void setVolumeControls(bool On);

    const TConfig *FConfig;
    const THotButtonFile *FHotButtons;
    TMediaPlayer *FMainPlayer;
    std::unique_ptr<TMediaPlayer> Player;
    bool FButtonChanged = false;

    QLineEdit *PhoneEdit;
    QPushButton *UndefBtn;
    QLineEdit *NameEdit;
    QLineEdit *AddressEdit;
    QCheckBox *RecCheck;
    QCheckBox *NoRecCheck;
    QCheckBox *DispCheck;
    QCheckBox *NoDispCheck;
    QCheckBox *ForceRingCheck;
    QCheckBox *NoRingCheck;
    QCheckBox *HangUpCheck;
    QToolButton *PlayBtn;
    QLineEdit *RingFileEdit;
    QPushButton *BrowseForFileBtn;
    QCheckBox *VolumeCheck;
    QSlider *VolumeTrack;
    QSpinBox *VolumeEdit;
    QCheckBox *CreschendoCheck;
    QCheckBox *FastCallCheck;
    QSpinBox *BtnNumEdit;
    QPlainTextEdit *NotesEdit;
    QPushButton *BitBtn1;
    QPushButton *BitBtn2;
};

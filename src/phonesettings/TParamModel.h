#pragma once
// The phone's parameters as described by Params.vrx: one group per tab, a tree
// of nodes in each, the parameters hanging on the nodes with their value
// slots, and the 12-byte profile records of the *.AON files.
#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVector>
#include <bitset>
#include <cstdint>
#include <memory>
#include <vector>

class QIODevice;
struct TPhoneIdentity;

enum TParamKind : uint8_t { skNone = 0, skGroup = 1, skSet = 2, skFlag = 3 };

enum TParamState : uint8_t {
    pvQuerying = 0,
    pvDefined = 1,
    pvChanged = 2,
    pvLocked = 3,    // status only
    pvNoValue = 4,
    pvNoModule = 5,  // status only
};

using TAllowedSet = std::bitset<256>;

struct TParamValue {
    TParamKind Kind = skNone;
    quint16 Value = 0;
    TAllowedSet Allowed;
    QStringList Labels;
};

struct TParam;

struct TNode {
    QString Name;
    TNode *Parent = nullptr;
    int Level = 0;
    TParam *Param = nullptr;
};

struct TParam {
    qint32 Id = 0;
    QString Name;
    QVector<TParamValue> Values;
    TParamState State = pvQuerying;
    QStringList Description;
    TNode *Node = nullptr;

    bool Known() const { return State == pvDefined || State == pvChanged; }
    QList<quint16> SlotValues() const;
};

struct TParamGroup {
    uint8_t Module = 0;
    bool ModulePresent = true;
    int TabIndex = 0;
    TNode *CurrentNode = nullptr;
    std::vector<std::unique_ptr<TParam>> Params;
    std::vector<std::unique_ptr<TNode>> Nodes;
};

// One record of a profile file, 12 bytes little-endian: ParamId (4), Count (1),
// reserved (1), Value1 (2), Value2 (2), reserved (2).
struct TProfileRecord {
    static constexpr int Size = 12;
    qint32 ParamId = 0;
    uint8_t Count = 0;
    quint16 Value1 = 0;
    quint16 Value2 = 0;

    QByteArray ToBytes() const;
    static TProfileRecord FromBytes(const char *Data);
    bool operator==(const TProfileRecord &o) const
    {
        return ParamId == o.ParamId && Count == o.Count && Value1 == o.Value1 && Value2 == o.Value2;
    }
};

// One item of a tab's tree: Parent indexes an earlier item, -1 for a root.
struct TTreeItem {
    QString Caption;
    int Parent = -1;
    int Depth = 0;
    TNode *Node = nullptr;
    TParam *Param = nullptr;
};

struct TOptionLabel {
    int Number = 0;
    QString Caption;
};

class TParamModel {
public:
    static const QString ProfileFilter;       // "Профили телефонов VRX (*.AON)|*.AON"
    static const QString ProfileExtension;    // "AON"
    static const QStringList StateTexts;      // by TParamState

    QStringList TabCaptions;
    int SelectedTab = -1;
    std::vector<std::unique_ptr<TParamGroup>> Groups;
    // Records with values that found a parameter, counted by the two Apply
    // functions since the caller last set it to 0.
    int MatchedRecords = 0;

    bool Empty() const { return Groups.empty(); }
    void Clear();

    // The lines of a Params.vrx file: Windows-1251 text (a file that is valid
    // UTF-8 throughout, or has its byte-order mark, is UTF-8), lines ending in
    // LF, CR LF or CR. False with Error when unreadable.
    static bool ReadDescriptionFile(const QString &FileName, QStringList &Lines, QString &Error);
    static QStringList DescriptionLines(const QByteArray &Bytes);

    // Builds the groups anew from the description for the firmware version.
    void LoadDescription(const QStringList &Lines, quint16 FirmwareVersion);
    // The same, reading the text line by line: memory holds a few lines and
    // the model, not the file. False with Error when the file is unreadable.
    bool LoadDescriptionFile(const QString &FileName, quint16 FirmwareVersion, QString &Error);
    void LoadDescription(QIODevice &Device, quint16 FirmwareVersion);

    // Every value back to pvQuerying (pvNoValue stays); the modules' presence
    // from the phone's identity.
    void RefreshModules(const TPhoneIdentity &Identity);

    static std::vector<TTreeItem> BuildTree(const TParamGroup &Group);

    void ApplyProfileRecord(const TProfileRecord &Record);
    // The profile of the model: one record per parameter with a non-zero Id.
    // MarkSaved turns the known values' states into pvDefined.
    QByteArray ProfileBytes(bool MarkSaved);
    // Applies the records of a profile; returns the number of whole records.
    int ApplyProfileBytes(const QByteArray &Bytes);
    // Files; false with Error (the system's text) on failure. LoadProfile
    // reports in Warning a tail shorter than a record, which is ignored.
    bool SaveProfile(const QString &FileName, QString &Error);
    bool LoadProfile(const QString &FileName, QString &Error, QString *Warning = nullptr);

    static TOptionLabel ParseOptionLabel(const QString &Label);
    static TAllowedSet ParseRange(const QString &List);
    static bool Accepts(const TParamValue &Slot, int Value);
    static int AllowedMin(const TAllowedSet &Allowed);
    static int AllowedMax(const TAllowedSet &Allowed);

    int ParamCount() const;
    TParamGroup *GroupOf(const TParam *Param) const;
};

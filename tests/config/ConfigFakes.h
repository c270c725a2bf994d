#pragma once
// Plain implementations of the interfaces the settings talk to.
#include "config/IConfigPrompts.h"
#include "config/IMainWindowSettings.h"
#include "config/IPhoneLinkSettings.h"
#include "config/ISettingsDialog.h"
#include "config/TConfig.h"
#include <QStringList>
#include <stdexcept>

struct FakePhone : IPhoneLinkSettings {
    TPortSettings Settings;
    QStringList Ports{QStringLiteral("COM1"), QStringLiteral("COM2")};
    bool IsOpen = false;
    bool OpenFails = false;
    int Opens = 0;
    int Closes = 0;
    int RuleLength = -1;
    int RulePrefix = -1;

    TPortSettings PortSettings() const override { return Settings; }
    void SetPortSettings(const TPortSettings &s) override { Settings = s; }
    QStringList PortList() const override { return Ports; }
    bool Connected() const override { return IsOpen; }
    bool Open() override
    {
        ++Opens;
        if (OpenFails)
            throw std::runtime_error("port busy");
        IsOpen = true;
        return true;
    }
    void Close() override
    {
        ++Closes;
        IsOpen = false;
    }
    void SetLocalNumberRule(int length, uint8_t prefix) override
    {
        RuleLength = length;
        RulePrefix = prefix;
    }
};

struct FakePrompts : IConfigPrompts {
    QList<bool> Answers;          // taken in order; "Нет" when none is left
    QString Folder;
    QStringList Questions;
    QStringList FolderTitles;
    QStringList Errors;

    bool Confirm(const QString &text) override
    {
        Questions << text;
        return Answers.isEmpty() ? false : Answers.takeFirst();
    }
    QString ChooseFolder(const QString &title) override
    {
        FolderTitles << title;
        return Folder;
    }
    void ShowError(const QString &text) override { Errors << text; }
};

struct FakeMainWindow : IMainWindowSettings {
    TBounds Now{10, 20, 1024, 700, 0};
    int Applied = 0;
    TBounds Bounds() const override { return Now; }
    // Counts the settings' SettingsApplied signal.
    void Listen(TConfig &Config)
    {
        QObject::connect(&Config, &TConfig::SettingsApplied, [this] { ++Applied; });
    }
};

struct FakeDialog : ISettingsDialog {
    TSettingsDialogValues V;
    bool IsChanged = false;
    bool ApplyEnabled = true;
    int Fills = 0;

    void SetValues(const TSettingsDialogValues &v) override
    {
        V = v;
        IsChanged = false;
        ApplyEnabled = false;
        ++Fills;
    }
    TSettingsDialogValues Values() const override { return V; }
    void SetRecordsDir(const QString &folder) override { V.RecordsDir = folder; }
    bool Changed() const override { return IsChanged; }
    void SetApplyEnabled(bool enabled) override { ApplyEnabled = enabled; }
};

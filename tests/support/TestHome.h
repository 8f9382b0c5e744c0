#pragma once

#include "platform/ProgramFolder.h"
#include "support/QtPrinters.h"
#include "support/RecordingShell.h"
#include "support/ScriptedPrompter.h"

#include <QString>
#include <QTemporaryDir>

#include <memory>

class KevaContext;

// A private program folder, registry folder, runtime folder, desktop
// configuration folder and home folder for one test, with a context over
// them. The environment variables that programs read (KEVA_HOME,
// KEVA_REGISTRY_DIR, KEVA_RUNTIME_DIR, XDG_CONFIG_HOME, HOME) point at them
// while the TestHome lives, so programs the test starts use them too, and no
// test touches the user's own autostart entries or browser folders.
class TestHome {
public:
    TestHome();
    ~TestHome();

    QString programFolder() const { return root_.path() + QStringLiteral("/home"); }
    QString registryFolder() const { return root_.path() + QStringLiteral("/registry"); }
    QString runtimeFolder() const { return root_.path() + QStringLiteral("/run"); }
    QString configFolder() const { return root_.path() + QStringLiteral("/config"); }
    QString homeFolder() const { return root_.path() + QStringLiteral("/user"); }
    QString path(const QString& name) const { return root_.path() + QLatin1Char('/') + name; }

    // Writes a file below the root (folders made as needed).
    void writeFile(const QString& name, const QByteArray& content) const;
    QByteArray readFile(const QString& name) const;
    // Replaces an existing file the way the programs' writers do, renaming a
    // new file over it, and gives the new file the old one's modification
    // time: of what a reader can see without reading it, only the inode
    // (and the size, when it differs) tells the two apart.
    void replaceFile(const QString& name, const QByteArray& content) const;

    // Puts the shipped language files and their pictures into the program
    // folder.
    void installLanguageFiles() const;

    // A fresh context over the folders (a new program start).
    KevaContext& newContext();
    KevaContext& context() { return *context_; }

    ScriptedPrompter prompter;
    RecordingShell shell;

    // <build>/bin: the programs and helpers built with the tests.
    static QString binFolder();

    static constexpr std::size_t kVariableCount = 5;

private:
    QTemporaryDir root_;
    std::unique_ptr<KevaContext> context_;
    QByteArray savedEnvironment_[kVariableCount];
};

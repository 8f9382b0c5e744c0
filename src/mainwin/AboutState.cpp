#include "mainwin/AboutState.h"

#include "core/CaptionTable.h"
#include "core/ProgramTitle.h"
#include "core/ProgramVersion.h"
#include "settings/CRegister.h"
#include "settings/KevaContext.h"

#include <QFileInfo>
#include <QStandardPaths>

namespace {

constexpr CaptionKey kAboutCaptions[] = {
    {"frmAbout", "02001", "About Quillspan"},
    {"lblTitle", "02002", "Quillspan KEVA"},
    {"lblVersionCaption", "02003", "Version:"},
    {"lblDescription", "02004",
     "The download manager: fetches files over HTTP and FTP, in parallel pieces where the server allows, resumes "
     "them after a break, and keeps a dated history of what you fetched."},
    {"lblLocationCaption", "02005", "Program folder:"},
    {"cmdOK", "02006", "OK"},
    {"cmdSysInfo", "02007", "&System Info..."},
    {"lblDisclaimer", "02008", "This program comes with no warranty of any kind."},
};

// The system-information programs of the Linux desktops, in the order tried.
const struct {
    const char* program;
    const char* argument; // empty: none
} kDesktopPrograms[] = {
    {"kinfocenter", ""},
    {"gnome-control-center", "info-overview"},
    {"hardinfo", ""},
};

bool isFile(const QString& path)
{
    return !path.isEmpty() && QFileInfo(path).isFile();
}

} // namespace

AboutState::AboutState(KevaContext& context, FindProgram findProgram)
    : lblVersion(ProgramVersion())
    , lblLocation(context.programFolder.path())
    , context_(context)
    , findProgram_(findProgram ? std::move(findProgram)
                               : [](const QString& name) { return QStandardPaths::findExecutable(name); })
    , captions_(CaptionTable(kAboutCaptions))
{
}

void AboutState::applyCaptions()
{
    captions_ = CaptionTable(kAboutCaptions, &context_.text);
}

bool AboutState::rightToLeft() const
{
    return context_.text.rightToLeft();
}

std::optional<AboutState::Program> AboutState::systemInformationProgram() const
{
    const CRegister reg(context_.registry);
    constexpr auto HKLM = RegistryRoot::HKEY_LOCAL_MACHINE;
    if (const QString recorded = reg.REGGetSetting(HKLM, kMsinfoKey, QStringLiteral("PATH")); isFile(recorded))
        return Program {recorded, {}};
    if (const QString folder = reg.REGGetSetting(HKLM, kToolsLocationKey, QStringLiteral("MSINFO"));
        !folder.isEmpty()) {
        if (const QString recorded = folder + QStringLiteral("/MSINFO32.EXE"); isFile(recorded))
            return Program {recorded, {}};
    }
    for (const auto& candidate : kDesktopPrograms) {
        if (const QString found = findProgram_(QString::fromLatin1(candidate.program)); !found.isEmpty()) {
            const QString argument = QString::fromLatin1(candidate.argument);
            return Program {found, argument.isEmpty() ? QStringList() : QStringList {argument}};
        }
    }
    return std::nullopt;
}

void AboutState::cmdSysInfo_Click()
{
    if (const auto program = systemInformationProgram()) {
        context_.shell.run(program->path, program->arguments);
        return;
    }
    context_.prompter.tell(context_.text.GetText(QStringLiteral("11001")), kProgramTitle, Prompter::Icon::Exclamation);
}

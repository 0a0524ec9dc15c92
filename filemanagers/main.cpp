// quendle-expand-each: the program the file managers' menu entries run with the selected
// archives; it expands them one after another, each by a quendle launch of its own.
#include "filemanagers/ExpandEach.h"

#include <QApplication>
#include <QFileDialog>

#include <cstdio>
#include <filesystem>

namespace {

// Thunar's "Extract To..." leaves the folder to the archive manager: asked once for all the
// archives, starting in the folder Thunar suggests. Nothing when the user cancels.
std::optional<std::string> chooseFolder(int& argc, char** argv, const std::string& start)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("quendle"));
    QApplication::setApplicationDisplayName(QStringLiteral("Quendle"));
    QApplication::setDesktopFileName(QStringLiteral("org.quendle.Quendle"));
    const QString chosen = QFileDialog::getExistingDirectory(nullptr, QStringLiteral("Expand Into"),
        QFile::decodeName(QByteArray::fromStdString(start)), QFileDialog::ShowDirsOnly);
    if (chosen.isEmpty())
        return std::nullopt;
    return QFile::encodeName(chosen).toStdString();
}

} // namespace

int main(int argc, char** argv)
{
    namespace each = quendle::expandeach;
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    // thunar-archive-plugin runs /usr/libexec/thunar-archive-plugin/<desktop id>.tap, a link here.
    const bool asTap = argc > 0 && std::filesystem::path(argv[0]).extension() == ".tap";
    const each::Parsed parsed = each::parseCommandLine(arguments, asTap);
    if (!parsed.request) {
        std::fprintf(stderr, "quendle-expand-each: %s\n", parsed.message.c_str());
        return parsed.status;
    }
    each::Request request = *parsed.request;
    if (request.chooseInto) {
        if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
            && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
            std::fprintf(stderr, "quendle-expand-each: the folder to expand into can only be chosen on a display\n");
            return each::kUnsupportedStatus;
        }
        const std::optional<std::string> chosen = chooseFolder(argc, argv, request.into);
        if (!chosen)
            return 0; // cancelled: nothing is expanded
        request.into = *chosen;
    }
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) {
        std::fprintf(stderr, "quendle-expand-each: cannot tell where it is installed: %s\n", error.message().c_str());
        return 2;
    }
    return each::runEach(each::quendleBeside(self.string()), request);
}

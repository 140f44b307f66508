// shellhost: the file manager's part of the context-menu contract, for the handlers registered
// under HKCR *\shellex\ContextMenuHandlers.
//   shellhost --list [options] [--] FILE...           prints the commands the handlers add
//   shellhost --invoke OFFSET [options] [--] FILE...  runs one command
//   shellhost --popup [options] [--] FILE...          shows them as a menu at the cursor
// Options: --flags N (QueryContextMenu's flags), --id-first N and --id-last N (the identifier
// range handed out), --handler NAME (the handler whose command --invoke runs; the first one by
// default). Exit codes: 0 done, 1 bad arguments (also a file name that is not UTF-8), 2 a
// handler could not be loaded (the others still served), 3 the command to invoke is not in the
// menu or is grayed, 4 it failed.
#include "platform/shell/MenuBitmap.h"
#include "platform/shell/shellhost/ContextMenuHost.h"
#include "platform/shell/shellhost/ContextMenuPopup.h"
#include "platform/win/MessageDialog.h"

#include <QApplication>
#include <QCoreApplication>
#include <QCursor>
#include <QFile>
#include <QFileInfo>
#include <QFontMetrics>
#include <cstdio>
#include <memory>

namespace {

enum ExitCode { Done = 0, BadArguments = 1, HandlerFailed = 2, NoSuchCommand = 3, Failed = 4 };
enum class Mode { None, List, Invoke, Popup };

struct Arguments
{
    Mode mode = Mode::None;
    quint32 offset = 0;
    quint32 flags = shell::CMF_NORMAL;
    quint32 idFirst = shell::ContextMenuHost::DefaultIdFirst;
    quint32 idLast = shell::ContextMenuHost::DefaultIdLast;
    QString handler;
    QStringList files;
    // Names whose bytes are not UTF-8: as text they would name another file.
    QStringList undecodable;
};

void usage()
{
    std::fputs("usage: shellhost --list [options] [--] FILE...\n"
               "       shellhost --invoke OFFSET [options] [--] FILE...\n"
               "       shellhost --popup [options] [--] FILE...\n"
               "options: --flags N  --id-first N  --id-last N  --handler NAME\n",
               stderr);
}

bool number(const QString &text, quint32 *out)
{
    bool ok = false;
    const qulonglong v = text.toULongLong(&ok, 0); // decimal, or 0x for hexadecimal
    if (!ok || v > 0xFFFFFFFFull) return false;
    *out = quint32(v);
    return true;
}

QString local(const char *arg)
{
    return QString::fromLocal8Bit(arg);
}

bool parse(int argc, char **argv, Arguments *a)
{
    bool filesOnly = false;
    for (int i = 1; i < argc; ++i) {
        const QString arg = local(argv[i]);
        auto value = [&](quint32 *out) { return i + 1 < argc && number(local(argv[++i]), out); };
        if (filesOnly || !arg.startsWith(QStringLiteral("--"))) {
            // Handlers get absolute paths, as a file manager gives them.
            a->files.append(QFileInfo(arg).absoluteFilePath());
            if (QFile::encodeName(arg) != QByteArray(argv[i])) a->undecodable.append(arg);
        } else if (arg == QStringLiteral("--")) {
            filesOnly = true;
        } else if (arg == QStringLiteral("--list") && a->mode == Mode::None) {
            a->mode = Mode::List;
        } else if (arg == QStringLiteral("--popup") && a->mode == Mode::None) {
            a->mode = Mode::Popup;
        } else if (arg == QStringLiteral("--invoke") && a->mode == Mode::None) {
            a->mode = Mode::Invoke;
            if (!value(&a->offset)) return false;
        } else if (arg == QStringLiteral("--flags")) {
            if (!value(&a->flags)) return false;
        } else if (arg == QStringLiteral("--id-first")) {
            if (!value(&a->idFirst)) return false;
        } else if (arg == QStringLiteral("--id-last")) {
            if (!value(&a->idLast)) return false;
        } else if (arg == QStringLiteral("--handler") && i + 1 < argc) {
            a->handler = local(argv[++i]);
        } else {
            return false;
        }
    }
    return a->mode != Mode::None && !a->files.isEmpty();
}

void printErrors(const QStringList &errors)
{
    for (const QString &e : errors)
        std::fprintf(stderr, "shellhost: %s\n", qUtf8Printable(e));
}

// The command to invoke: the handler named (or the first one) and its offset.
int findCommand(const shell::ContextMenuHost &host, const Arguments &a, int *handler)
{
    *handler = -1;
    for (size_t h = 0; h < host.handlers().size(); ++h)
        if (a.handler.isEmpty() ||
            host.handlers()[h].name.compare(a.handler, Qt::CaseInsensitive) == 0) {
            *handler = int(h);
            break;
        }
    if (*handler < 0) {
        std::fprintf(stderr, "shellhost: no handler %s\n",
                     a.handler.isEmpty() ? "is registered" : qUtf8Printable(a.handler));
        return NoSuchCommand;
    }
    for (const shell::ContextMenuHost::Command &c : host.commands()) {
        if (c.separator || c.handler != *handler || c.offset != a.offset) continue;
        if (c.grayed) {
            std::fprintf(stderr, "shellhost: command %u (%s) is grayed\n", a.offset,
                         qUtf8Printable(c.caption));
            return NoSuchCommand;
        }
        return Done;
    }
    std::fprintf(stderr, "shellhost: handler %s added no command %u\n",
                 qUtf8Printable(host.handlers()[size_t(*handler)].name), a.offset);
    return NoSuchCommand;
}

int invoke(shell::ContextMenuHost &host, int handler, quint32 offset)
{
    const com::HRESULT hr = host.invoke(handler, offset);
    if (com::FAILED(hr)) {
        std::fprintf(stderr, "shellhost: command %u failed (0x%08X)\n", offset, unsigned(hr));
        return Failed;
    }
    return Done;
}

} // namespace

int main(int argc, char **argv)
{
    Arguments a;
    if (!parse(argc, argv, &a)) {
        usage();
        return BadArguments;
    }

    // Only the program's name reaches Qt, so that no file name is taken for one of its options.
    int qtArgc = 1;
    char *qtArgv[] = {argv[0], nullptr};
    std::unique_ptr<QCoreApplication> app;
    // The handlers' message boxes show as dialogs while the popup is up.
    win::MessageDialog popupBoxes(QStringLiteral("Quorva"));
    if (a.mode == Mode::Popup) {
        app = std::make_unique<QApplication>(qtArgc, qtArgv);
        const QFontMetrics metrics(QApplication::font());
        shell::SetDisplayTextMetrics({metrics.maxWidth(), metrics.height()});
        win::MessageBoxSeam::install(&popupBoxes);
    } else {
        app = std::make_unique<QCoreApplication>(qtArgc, qtArgv);
    }

    if (!a.undecodable.isEmpty()) {
        // A handler would get these names with U+FFFD in place of the bytes, which names no
        // file, or worse another one; nothing is offered for such a selection.
        for (const QString &name : std::as_const(a.undecodable)) {
            const QString text =
                QStringLiteral("The name %1 holds bytes that are not UTF-8; Quorva cannot open it.")
                    .arg(name);
            std::fprintf(stderr, "shellhost: %s\n", qUtf8Printable(text));
            if (a.mode == Mode::Popup) win::MsgBox(text, win::vbOKOnly | win::vbExclamation);
        }
        win::MessageBoxSeam::install(nullptr);
        return BadArguments;
    }

    int code = Done;
    {
        shell::ContextMenuHost host;
        host.build(a.files, a.flags, a.idFirst, a.idLast);
        printErrors(host.errors());
        if (!host.errors().isEmpty()) code = HandlerFailed;

        if (a.mode == Mode::List) {
            std::fputs(host.listing().toUtf8().constData(), stdout);
        } else if (a.mode == Mode::Invoke) {
            int handler = -1;
            const int found = findCommand(host, a, &handler);
            code = found != Done ? found : invoke(host, handler, a.offset);
        } else {
            const std::vector<shell::ContextMenuHost::Command> commands = host.commands();
            const int chosen = shell::ContextMenuPopup::exec(commands, QCursor::pos());
            if (chosen >= 0)
                code =
                    invoke(host, commands[size_t(chosen)].handler, commands[size_t(chosen)].offset);
        }
    }
    win::MessageBoxSeam::install(nullptr);
    return code;
}

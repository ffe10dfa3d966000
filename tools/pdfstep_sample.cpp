// Runs the PDF step on a one-page PostScript sample: tabloria-pdfstep-sample DIR
// writes DIR/Sample.pdf with a title and a 40-bit owner password.
#include "CupsSpooler.h"
#include "PdfStep.h"
#include "PosixProcessRunner.h"
#include "PrintContract.h"
#include "ProgramFolder.h"
#include "Prompter.h"

#include <QDir>
#include <QFile>
#include <QTextStream>

namespace {

class StderrPrompter final : public Prompter
{
public:
    MessageAnswer showMessage(const QString& text, MessageButtons, MessageIcon) override
    {
        QTextStream(stderr) << text << '\n';
        return MessageAnswer::No;
    }
};

} // namespace

int main(int argc, char** argv)
{
    const QString dest = argc > 1 ? QFile::decodeName(argv[1]) : QDir::currentPath();
    QDir().mkpath(dest);
    const QString work = UserWorkFolder();
    if (const Status s = PrepareWorkFolder(work); !s.ok()) {
        QTextStream(stderr) << s.message() << '\n';
        return 1;
    }
    QFile ps(PostScriptSpoolFile(work));
    if (!ps.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return 1;
    ps.write("%!PS-Adobe-3.0\n%%Pages: 1\n%%Page: 1 1\n/Helvetica findfont 28 scalefont setfont\n"
             "72 700 moveto (Tabloria sample) show 0.2 0.4 0.8 setrgbcolor 72 400 300 200 rectfill showpage\n");
    ps.close();

    PosixProcessRunner runner;
    CupsSpooler spooler;
    StderrPrompter prompter;
    const Result<SavedPrinter> saved = spooler.defaultPrinter();
    ConversionSettings settings;
    settings.title = QStringLiteral("Tabloria sample");
    settings.securityEnabled = 1;
    settings.ownerPasswordEnabled = 1;
    settings.ownerPassword = QStringLiteral("owner");
    PdfStepServices services{runner, spooler, prompter, work, programFolder()};
    const PdfStepResult result = ConvertPostScriptToPdf(QStringLiteral("/sample/Sample.xlsx"), dest, settings,
                                                        saved.ok() ? saved.value() : SavedPrinter(), services);
    QTextStream out(stdout);
    if (!result.written) {
        QTextStream(stderr) << "failed: " << result.failure << '\n';
        return 1;
    }
    out << "converted: " << result.outputPath << '\n';
    out.flush();
    return 0;
}

// Renders an HTML page of ours into a PDF at build time, so that no PDF is
// kept in the sources: quillary-render-pdf PAGE.html OUTPUT.pdf

#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPageSize>
#include <QPdfWriter>
#include <QTextDocument>
#include <QUrl>
#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: quillary-render-pdf PAGE.html OUTPUT.pdf\n");
        return 2;
    }
    // A build machine has no screen.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);

    QFile page(QString::fromLocal8Bit(argv[1]));
    if (!page.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "quillary-render-pdf: cannot read %s\n", argv[1]);
        return 1;
    }
    QTextDocument document;
    document.setBaseUrl(QUrl::fromLocalFile(QFileInfo(page).absolutePath() + "/"));
    document.setHtml(QString::fromUtf8(page.readAll()));

    // Written beside the target and renamed, so a failed run leaves no
    // half-written guide that the build would take as up to date.
    const QString output = QString::fromLocal8Bit(argv[2]);
    const QString partial = output + ".partial";
    {
        QPdfWriter pdf(partial);
        pdf.setPageSize(QPageSize(QPageSize::A4));
        pdf.setPageMargins(QMarginsF(20, 20, 20, 20), QPageLayout::Millimeter);
        pdf.setTitle(document.metaInformation(QTextDocument::DocumentTitle));
        pdf.setCreator(QStringLiteral("Quillary"));
        document.print(&pdf);
    }
    QFile::remove(output);
    if (!QFile::rename(partial, output)) {
        std::fprintf(stderr, "quillary-render-pdf: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}

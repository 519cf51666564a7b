// Renders, at build time, what would otherwise be binaries kept in the
// sources:
//   quillary-render pdf PAGE.html OUTPUT.pdf   a page of ours as a PDF
//   quillary-render icon SIZE OUTPUT.png       the application's icon

#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPageSize>
#include <QPdfWriter>
#include <QTextDocument>
#include <QUrl>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "gui/Icon.h"

namespace {

// Written beside the target and renamed, so a failed run leaves nothing that
// the build would take as up to date.
bool replaceWith(const QString& partial, const QString& output) {
    QFile::remove(output);
    return QFile::rename(partial, output);
}

int renderPdf(const char* pagePath, const char* outputPath) {
    QFile page(QString::fromLocal8Bit(pagePath));
    if (!page.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "quillary-render: cannot read %s\n", pagePath);
        return 1;
    }
    QTextDocument document;
    document.setBaseUrl(QUrl::fromLocalFile(QFileInfo(page).absolutePath() + "/"));
    document.setHtml(QString::fromUtf8(page.readAll()));

    const QString output = QString::fromLocal8Bit(outputPath);
    {
        QPdfWriter pdf(output + ".partial");
        pdf.setPageSize(QPageSize(QPageSize::A4));
        pdf.setPageMargins(QMarginsF(20, 20, 20, 20), QPageLayout::Millimeter);
        pdf.setTitle(document.metaInformation(QTextDocument::DocumentTitle));
        pdf.setCreator(QStringLiteral("Quillary"));
        document.print(&pdf);
    }
    return replaceWith(output + ".partial", output) ? 0 : 1;
}

int renderIcon(const char* size, const char* outputPath) {
    const int pixels = std::atoi(size);
    if (pixels < 8 || pixels > 1024) return 2;
    const QString output = QString::fromLocal8Bit(outputPath);
    if (!quillary::gui::applicationIconImage(pixels).save(output + ".partial", "PNG")) return 1;
    return replaceWith(output + ".partial", output) ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4 || (std::strcmp(argv[1], "pdf") != 0 && std::strcmp(argv[1], "icon") != 0)) {
        std::fprintf(stderr, "usage: quillary-render pdf PAGE.html OUTPUT.pdf | icon SIZE OUTPUT.png\n");
        return 2;
    }
    // A build machine has no screen.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    const int status = std::strcmp(argv[1], "pdf") == 0 ? renderPdf(argv[2], argv[3]) : renderIcon(argv[2], argv[3]);
    if (status != 0) std::fprintf(stderr, "quillary-render: could not make %s\n", argv[3]);
    return status;
}

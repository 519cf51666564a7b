#pragma once
// The build as one function over values: a request in, a result out. The
// stages run straight through on the caller's thread: convert, normalise,
// assemble, write the documents, archive, and the Kindle file when asked
// for. Everything outside the program's values comes in through the ports.

#include <optional>
#include <string>

#include "base/Result.h"
#include "book/BuildRequest.h"
#include "book/BuildResult.h"
#include "epub/Assembly.h"
#include "epub/Templates.h"
#include "kindle/KindleConverter.h"
#include "platform/AuthorFiles.h"
#include "platform/Localizer.h"
#include "platform/Shell.h"

namespace quillary::controller {

// The stages, in the order a build runs them.
enum class BuildStage { Convert, Normalise, Assemble, Documents, Archive, Kindle };

// "convert", "normalise", "assemble", "documents", "archive", "kindle".
const char* stageName(BuildStage stage);

// What a build tells while it runs, and how it is asked to stop. Called on
// the build's thread; this base tells no one and never stops.
class BuildProgress {
public:
    virtual ~BuildProgress() = default;
    // A stage begins; how far it is, is unknown until advanced() says.
    virtual void stageBegins(BuildStage) {}
    // How much of the assembly is done, from 0 to 1.
    virtual void advanced(double /*fraction*/) {}
    // True once the build should stop. Asked between the stages and while
    // the assembly reads the manuscript; a build that stops writes nothing.
    virtual bool cancelled() const { return false; }
};

// The program's own files and texts a book is made from: read once per
// run, at the edge, and shared by every build of it.
struct BookResources {
    Result<epub::Templates> epub2Templates;
    Result<epub::Templates> epub3Templates;
    epub::AssemblyTexts texts;     // the titles the book gives, in the author's language
    const Catalogues& catalogues;  // the accessibility summary's sentences, in the book's language
};

// The programs a build runs, as the front end found them.
struct BuildTools {
    std::string textutilPath;                          // the converter program
    bool readRtfInProcess = false;                     // rich text is read by the converter's reader in this process
    std::optional<kindle::Converter> kindleConverter;  // nullopt: none is installed
    std::string tempParent;  // where the Kindle converter's folder is made; empty: $TMPDIR or /tmp
};

// Where a build reaches outside its values. All outlive the build, and all
// may be used from the build's thread.
struct BuildPorts {
    Shell& shell;                    // the converter program and the Kindle converter
    const AuthorFiles& authorFiles;  // what the manuscript's folder holds, read at the archive
    const BookResources& resources;
    const BuildTools& tools;
};

// Makes the book the request asks for. The EPUB reaches its destination
// only when every file of it was written whole and every document is
// well-formed; otherwise the earlier book there stays, and the result says
// why. Problems of the manuscript never stop a build: they are in the
// result. Blocks; any thread, one build per request.
BuildResult buildBook(const BuildRequest& request, const BuildPorts& ports, BuildProgress& progress);

}  // namespace quillary::controller

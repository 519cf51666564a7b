#include "support/EpubInspector.h"

#include <gtest/gtest.h>
#include <zip.h>

#include <cstdio>
#include <sys/wait.h>

#include "platform/Files.h"
#include "platform/PosixShell.h"
#include "support/TestFolder.h"

namespace quillary::testing {

std::optional<std::vector<ArchiveEntry>> readArchive(const std::string& path) {
    int error = 0;
    zip_t* archive = zip_open(path.c_str(), ZIP_RDONLY | ZIP_CHECKCONS, &error);
    if (!archive) return std::nullopt;
    std::vector<ArchiveEntry> entries;
    const zip_int64_t count = zip_get_num_entries(archive, 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        zip_stat_t st;
        if (zip_stat_index(archive, static_cast<zip_uint64_t>(i), 0, &st) != 0) continue;
        ArchiveEntry entry;
        entry.name = st.name;
        entry.stored = st.comp_method == ZIP_CM_STORE;
        zip_file_t* file = zip_fopen_index(archive, static_cast<zip_uint64_t>(i), 0);
        // libzip checks the CRC and the size only when a read meets the end
        // of the data, so the entry is read until a read returns nothing.
        entry.content.resize(st.size + 1);
        const zip_int64_t read = file ? zip_fread(file, entry.content.data(), entry.content.size()) : -1;
        const zip_int64_t past = read < 0 ? read : zip_fread(file, entry.content.data(), 1);
        if (file) zip_fclose(file);
        if (read < 0 || past != 0 || static_cast<zip_uint64_t>(read) != st.size) {
            zip_discard(archive);
            return std::nullopt;
        }
        entry.content.resize(static_cast<std::size_t>(read));
        entries.push_back(std::move(entry));
    }
    zip_discard(archive);
    return entries;
}

EpubCheckVerdict runEpubCheck(const std::string& epubPath) {
    EpubCheckVerdict verdict;
    // Debian ships EPUBCheck as a jar behind /usr/bin/epubcheck, which runs
    // only where binfmt support is set up; java -jar works everywhere.
    const std::string jar = "/usr/share/java/epubcheck.jar";
    if (!files::exists(jar)) return verdict;
    PosixShell shell;
    verdict.ran = true;
    const auto output = shell.run("java -jar " + jar + " -q '" + epubPath + "'; echo \"exit=$?\"").output;
    verdict.output = output.value_or("");
    verdict.passed = verdict.output.find("exit=0") != std::string::npos &&
                     verdict.output.find("ERROR") == std::string::npos &&
                     verdict.output.find("FATAL") == std::string::npos;
    return verdict;
}

int runQuillary(const std::string& arguments, std::string& output, std::string* errors) {
    const std::string bin = suiteSetting("QUILLARY_BIN") + "/quillary";
    const auto errFile = files::makePrivateTempFolder("quillary-stderr-");
    const std::string errPath = errFile ? *errFile + "/stderr" : "/dev/null";
    std::string command = "'" + bin + "' " + arguments + " 2>'" + errPath + "' </dev/null";
    output.clear();
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return -1;
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, n);
    const int status = ::pclose(pipe);
    if (errors) *errors = files::readFile(errPath).value_or("");
    if (errFile) {
        EXPECT_TRUE(files::removeAll(*errFile));
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace quillary::testing

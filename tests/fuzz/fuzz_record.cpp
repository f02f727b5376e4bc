// SPDX-License-Identifier: GPL-3.0-or-later
// Whatever bytes the score file, the name file and a journal hold, in a
// folder of their own. An import keeps only a score and a name the service
// takes; a load succeeds, reads a score of 16 bits and texts that fit a
// load's reply, and a second load reads the same.
#include "recordfolder.h"
#include "request.h"

#include <cassert>
#include <fcntl.h>
#include <filesystem>
#include <fuzzer/FuzzedDataProvider.h>

extern "C" int LLVMFuzzerTestOneInput(const unsigned char *data, std::size_t size)
{
    FuzzedDataProvider files(data, size);
    std::string path = std::filesystem::temp_directory_path() / "sequilla-fuzz-XXXXXX";
    const UniqueFd folder(::open(::mkdtemp(path.data()), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    const auto put = [&](const char *name, const std::string &bytes) {
        const UniqueFd fd(::openat(folder.get(), name, O_WRONLY | O_CREAT | O_CLOEXEC, 0644));
        assert(::write(fd.get(), bytes.data(), bytes.size()) == ssize_t(bytes.size()));
    };
    put("quirel.txt", files.ConsumeRandomLengthString());
    put("nquirel.txt", files.ConsumeRandomLengthString());
    if (files.remaining_bytes() > 0)
        put(".journal", files.ConsumeRemainingBytesAsString());
    const Record old = importRecord(folder.get());
    assert(old.score ? *old.score >= 0 && *old.score <= 32767 && isName(old.name)
                     : old.name.empty());
    RecordTexts texts, again;
    const int first = loadRecord(folder.get(), texts), second = loadRecord(folder.get(), again);
    assert(first == 0 && second == 0 && again == texts);
    assert(recordScore(texts) >= -32768 && recordScore(texts) <= 32767);
    assert(encodeReply({Reply::Loaded, texts.score, texts.name}).size() <= maxReplyBytes);
    std::filesystem::remove_all(path);
    return 0;
}

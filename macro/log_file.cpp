// Macro log file: QLLOGFILEINIT names the file, QLLOGFILEWRITE appends one line to it.
#include <cstdio>
#include <cstring>
#include <string>

#include "core/commands.h"
#include "core/host_api.h"
#include "core/prompts.h"
#include "macro/macro_text.h"

namespace {

constexpr size_t kLogNameSize = 260;
static_assert(kLogNameSize >= kTextAnswerSize, "the host may write a whole text answer");

char g_logName[kLogNameSize] = "#QLLogFile.txt";
char g_savedLogName[kLogNameSize] = "#QLLogFile.txt";
char g_logLine[kTextAnswerSize];

// Kept static: the host reads the prompt record while the request is open.
const PromptRec kLogNamePrompt = MakePrompt("Filename [!01]: ", PromptValue(g_logName, PF_TEXT, 255));

void LogNameDone(int status) {
    // Enter on an empty answer keeps the name the prompt showed.
    if (status == ST_DEFAULT) std::memcpy(g_logName, g_savedLogName, sizeof g_logName);
    g_logName[kLogNameSize - 1] = '\0';
    CmdEnd();
}

void ReportUnwritable(const char* path) {
    std::string text = "Couldn't write to the log file:\n\n";
    text += path != nullptr ? path : g_logName;
    ShowMessage(text.c_str(), "Warning", MS_WARNING);
}

void LogLineDone(int status) {
    if (status == ST_OK) {
        g_logLine[kTextAnswerSize - 1] = '\0';
        const char* path = FullFileName(g_logName);
        // Appending never truncates an existing log.
        std::FILE* file = path != nullptr ? std::fopen(path, "at") : nullptr;
        if (file == nullptr) {
            ReportUnwritable(path);
        } else {
            bool written = std::fputs(g_logLine, file) >= 0 && std::fputs("\n", file) >= 0;
            if (std::fclose(file) != 0) written = false;
            if (!written) ReportUnwritable(path);
        }
    }
    CmdEnd();
}

}  // namespace

void QLLOGFILEINIT() {
    std::memcpy(g_savedLogName, g_logName, sizeof g_logName);
    ReqData(REQ_TEXT, g_logName, &kLogNamePrompt, QL_CURSOR(1), LogNameDone, REQ_FLAG_RECORD, 0);
}

void QLLOGFILEWRITE() {
    ReqData(REQ_TEXT, g_logLine, "Write to log file: ", QL_CURSOR(1), LogLineDone, 0, 0);
}

// The plug-in's 53 commands, listed once in table order: the registration record's names,
// its procedure table and the declarations below all expand this list, so they cannot drift
// apart. Each command procedure is defined in its subsystem.
#pragma once

#include <cstddef>

// QL_COMMANDS(X) calls X(name) for each command, in table order.
#define QL_COMMANDS(X) \
    X(QLLAYERS) \
    X(QLHIDEF) \
    X(QLSHOWF) \
    X(QLTHAWF) \
    X(QLFREEZEF) \
    X(QLMTRIM) \
    X(QLCUT) \
    X(QLSAMEAS) \
    X(QLDIMSCALE) \
    X(QLDIMSCALENOW) \
    X(QLGROUP1) \
    X(QLMOVE) \
    X(QLCOPY) \
    X(QLROTATE) \
    X(QLROTATE2) \
    X(QLSCALE) \
    X(QLSHEAR) \
    X(QLPART) \
    X(QLPARTM) \
    X(QLGETFNAMEM) \
    X(QLGETLAYERNAMEM) \
    X(QLTEXT) \
    X(QLTEXTML) \
    X(QLTEXTB) \
    X(QLTEXTC) \
    X(QLTINC) \
    X(QLTREPLACE) \
    X(QLTEDIT) \
    X(QLTEDITDBG) \
    X(QLTCASE) \
    X(QLTSEQ) \
    X(QLATTREXPL) \
    X(QLTEXTEXPL) \
    X(QLFRONT) \
    X(QLBACK) \
    X(QLHATCH) \
    X(QLHATCHSCAN) \
    X(QLHATCHSMART) \
    X(QLHATCHSTANDARD) \
    X(QLHATCHLAST) \
    X(QLHEXPLODE) \
    X(QLHATCHOPTSEL) \
    X(QLHATCHOPTMOD) \
    X(QLHATCHOPT) \
    X(QLDIST) \
    X(QLLENGTH) \
    X(QLDIMA) \
    X(QLLOGFILEINIT) \
    X(QLLOGFILEWRITE) \
    X(QLGVD) \
    X(QLKEYSTAT) \
    X(QLGTH) \
    X(QLCMENU)

#define QL_DECLARE_COMMAND(name) void name();
QL_COMMANDS(QL_DECLARE_COMMAND)
#undef QL_DECLARE_COMMAND

#define QL_COUNT_COMMAND(name) +1
constexpr size_t kCommandCount = 0 QL_COMMANDS(QL_COUNT_COMMAND);
#undef QL_COUNT_COMMAND

// Releases the text tools' work record, if one was allocated (library detach).
void FreeTextWorkRecord();

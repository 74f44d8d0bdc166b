// The runtime's test plug-in: small commands that exercise every prompt kind and status,
// drags, hooks, protocol faults and the host services, loaded by qlhost with --plugin or a
// "# plugin: qltestplugin" script header.
#pragma once

#include <cstdio>
#include <string>

#include "core/host_api.h"

// Sets a macro variable to a formatted number.
inline void SetNumberVar(const char* name, double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.6g", value);
    SetVar(name, text);
}

void TPKIND();
void TPCHAIN();
void TPDRAG();
void TPHOTKEY();
void TPTEXTKEY();
void TPPAINT();
void TPNOASK();
void TPCONTNOASK();
void TPAFTEREND();
void TPTWICE();
void TPWAIT();
void TPBADKIND();
void TPLEAK();
void TPNEXT();
void TPSCRIPT();
void TPFILE();
void TPPART();
void TPREGSET();
void TPREGGET();
void TPRES();
void TPTICK();
void TPRECORD();
void TPSNAP();
void TPKEEPLIST();

// The interface of the host CAD program Corvane (executable PLV7) as the plug-in sees it.
// Every function here is exported by the host with C linkage; the plug-in reaches the host
// through nothing else (and the Win32 subset of win32.h). The reference host qlhost exports
// the same functions from its executable.
//
// Corvane is a 32-bit program. Records that live only in memory and hold pointers
// (registration record, prompt records, settings records, file-dialog records) use
// pointer-sized fields, so the same layout works on 64-bit builds. Entity records keep
// their packed byte layout everywhere (see core/records.h).
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "win32.h"

#ifdef __cplusplus
extern "C" {
#endif

// ---------------------------------------------------------------------------------------
// Basic types

typedef unsigned char EntRec;           // first byte of a packed entity record
typedef struct DList DList;             // a drawing list (working, temporary, member, part)
typedef void (*CmdProc)(void);          // command procedure: no arguments
typedef void (*ContProc)(int status);   // continuation of a ReqData request
typedef void (*DragProc)(void* ctx);    // drag procedure, called on every cursor move
typedef int (*EntityProc)(DList* list, EntRec* entity, void* user1, void* user2);
typedef int (*ExplodeProc)(EntRec* part);
typedef int (*DlgProc)(void);           // refresh / initialisation procedure: returns 0
typedef int (*CtlProc)(int id);         // control procedure; a click procedure returning 2 closes
typedef int (*OwnerDrawProc)(UINT msg, void* item);  // WM_MEASUREITEM / WM_DRAWITEM record

// A host matrix record as written by STCTM: 4 x 4 doubles, row-major, points are columns
// (x' = m[0]x + m[1]y + m[2]z + m[3]).
typedef double HostMatrix[16];

// Extent record shared by EXCheck and GXCheckP2.
typedef struct ExtentRec {
    double min[3];
    double max[3];
    int32_t valid;  // set to 0 by the caller to start a new accumulation
} ExtentRec;

// ---------------------------------------------------------------------------------------
// Registration (library attach / detach)

typedef struct XPRecord {
    uintptr_t reserved1;
    uintptr_t reserved2;
    const char* product;     // "Quillet release 1026"
    const char* names;       // NUL-separated command names, ended by an empty name
    const CmdProc* procs;    // entry 0 About, 1..n the commands, then a null entry
    uintptr_t reserved3;
    uintptr_t reserved4;
} XPRecord;

void XPRegister(const XPRecord* record);
void XPUnRegister(const XPRecord* record);

// ---------------------------------------------------------------------------------------
// Prompt protocol

enum {
    REQ_VARIABLE = 0,
    REQ_TEXT = 1,
    REQ_POINT2 = 5,
    REQ_POINT3 = 7,
    REQ_DISTANCE = 9,
    REQ_ANGLE = 11,
    REQ_REAL = 15,
    REQ_INTEGER = 19,
    REQ_SELECTION = 22,
    REQ_PICK = 23,
};

enum {
    ST_OK = 0,       // input given
    ST_DEFAULT = 2,  // Enter on an empty input
    ST_NUMBER = 3,   // one number typed at a point prompt, in the buffer's first double
};

// One placeholder of a prompt record: value pointer and four format bytes.
// Format codes: 0 text, 3 and 5 whole number, 9 float, 10 double, 12 2-D point,
// 16 distance, 17 and 19 angle. Precision 255 means the host's default.
typedef struct PromptField {
    const void* value;
    unsigned char format;
    unsigned char zero;
    unsigned char width;  // always 5
    unsigned char precision;
} PromptField;

// A prompt record: template with "!01", "!02", ... placeholders, then one field per
// placeholder. The host counts the placeholders in the template.
typedef struct PromptRec {
    const char* text;
    PromptField field[2];
} PromptRec;

#define REQ_FLAG_RECORD 0x01u   // prompt is a PromptRec
#define REQ_FLAG_NUMBER 0x20u   // the user may type one number at a point prompt (status 3)

// prompt: a host prompt number (cast with QL_PROMPT_NUMBER), a text, or a PromptRec
// (flags bit 0). cursor: a cursor number (QL_CURSOR) or a DragProc (QL_DRAG).
void ReqData(int kind, void* buffer, const void* prompt, uintptr_t cursor, ContProc continuation,
             uint32_t flags, int extra);
void CmdEnd(void);

#define QL_PROMPT_NUMBER(n) ((const void*)(uintptr_t)(n))
#define QL_CURSOR(n) ((uintptr_t)(n))
#define QL_DRAG(proc) ((uintptr_t)(proc))

// Host resources: 4144 program path (text), 4147 live cursor (three doubles, writable),
// 4198 a record whose two doubles at byte 36 are the last raw pick position.
void* RscAdr(int number);
void ProcCsrSnap(int mode);
void SetCursorOrg2(double x, double y);
void SetCursorOrg3(double x, double y, double z);
void XHReqCsr(void* ctx);
void XHReqCsr3(void* ctx);

// Drag context: view width (double at byte 324) and view height (double at byte 332), in
// drawing units.
#define QL_DRAG_VIEW_WIDTH 324
#define QL_DRAG_VIEW_HEIGHT 332

// ---------------------------------------------------------------------------------------
// Current transformation matrix; each call composes after the previous ones.

void CTMI2(void);
void CTMI3(void);
void CTMT2(double dx, double dy);
void CTMT3(double dx, double dy, double dz);
void CTMR2(double angle);
void CTMS2(double sx, double sy);
void CTMS3(double sx, double sy, double sz);
void CTMMUL2(const double* matrix);   // a HostMatrix
void CTMPSH(void);
void CTMPOP(void);
void STCTM(double* matrix);           // copy the current matrix out (HostMatrix)
void LDSymTM(const double* symbolMatrix);  // compose a 3 x 4 symbol matrix (12 doubles)
// The symbol definition a reference (type 12) names through the 32-bit field at its byte 32
// (on the 32-bit host that field is the definition's address): base point x, y at bytes 36
// and 44. Null when the reference names none.
const unsigned char* SymDefAdr(const EntRec* reference);

// ---------------------------------------------------------------------------------------
// Entities

// Draw, erase, highlight. mode 0 = normally.
void EDraw(int mode, EntRec* entity);
void EErase(int mode, EntRec* entity);
void EMark(EntRec* entity);
void EDrawM(void* ctx, EntRec* entity);
void SetNewTag(EntRec* entity);

// Transform by a HostMatrix (null: the current matrix); returns the record to use from
// then on (a stored record may move when its layout must change).
EntRec* ETran(EntRec* entity, const double* matrix);

// Entity information word, what = 1: bit 0x02 the entity is a curve that can bound an area,
// 0x04 it is closed, 0x10 it is a host annotation (text, dimension) that never bounds.
uint32_t EInfo(EntRec* entity, int what);

// Geometry queries; non-zero on success.
//   query 0: in double t (0..1 along the entity), out two doubles (point)
//   query 2: in two doubles (point), out double t of the nearest point
//   query 5: in unused, out double length
int EGet(EntRec* entity, int query, const void* in, void* out);

void EXCheck(EntRec* entity, ExtentRec* extent);
void GXCheckP2(const double* point, ExtentRec* extent);

// Intersections of two entities; returns their number and points *points at a host array
// of 3-D points (three doubles each), valid until the next call.
int FindAllInts(EntRec* a, EntRec* b, double** points);

// Split a stored entity at parameter t into pieces A (start..t) and B (t..end), stored in
// the entity's own list; A may be the entity itself. Non-zero when it split.
int ESplit(EntRec* entity, double t, EntRec** a, EntRec** b);

// Explode a composite entity into simple parts added to the working list; the callback
// receives each part. Non-zero on success.
int EExplode(EntRec* entity, ExplodeProc callback);

// Non-zero when the entity lies under the point within the host's pick tolerance.
int EPick(EntRec* entity, const double* point);

// Host's own edit function for an entity; non-zero when it took over the command.
int EEdit(EntRec* entity);

// Text extents: data points at a text data part (record byte 32, string at +72).
void XCheckGText2(const unsigned char* data, double* lowerLeft, double* upperRight);
double LenText2(EntRec* text);

// ---------------------------------------------------------------------------------------
// 2-D geometry. Points are two doubles; segments four doubles (start, end).

int IntL2(const double* segment1, const double* segment2, double* point);  // lines meet
int P2TL2(const double* segment, const double* point, double* t);
void T2PL2(const double* segment, double t, double* point);
void TRNP2(double* point, const double* matrix);  // in place; null matrix = current
void TRNP2M(double* point);                        // in place, by the current matrix
double DistP2L(const double* point, const double* start, const double* end);  // > 0 left
double Angle(const double* from, const double* to);
double Dist2P(const double* a, const double* b);
void PConv2(const double* origin, double distance, double angle, double* result);
double ANorm(double angle);  // into [0, 2 pi)
int FDNSame2(const double* a, const double* b);

// ---------------------------------------------------------------------------------------
// Drawing lists

enum {
    SCOPE_ALL = 0,
    SCOPE_WITH_INTERNAL = 0x800,  // also host-internal entities (type 0)
    SCOPE_VISIBLE = 0x1000,       // skip entities on hidden or frozen layers
    SCOPE_SELECTED = 0x10000,
};

enum {
    TPL_ATTRIBUTES = 0,
    TPL_LAYERS = 4,
    TPL_FILL_STYLES = 5,
    TPL_LINE_STYLES = 7,
    TPL_FONTS = 8,
    TPL_DIM_STYLES = 9,
    TPL_TEXT_STYLES = 10,
};

// The table of operations every drawing list offers, in the host's order.
typedef struct DListOps {
    void (*ReleaseList)(DList* list);
    EntRec* (*AddEntity)(DList* list, const EntRec* record);
    EntRec* (*NewSubEntity)(DList* list, int type, uint32_t length);
    EntRec* (*LocateEntity)(DList* list, EntRec* entity);
    int (*DeleteEntity)(DList* list, EntRec* entity);
    int (*RestoreEntity)(DList* list, EntRec* entity);
    int (*RemoveEntity)(DList* list, EntRec* entity);
    EntRec* (*ResizeEntity)(DList* list, EntRec* entity, uint32_t newLength);
    int (*ForEachEntity)(DList* list, EntityProc proc, uint32_t scope, void* user1, void* user2);
    void (*MarkEntity)(DList* list, EntRec* entity);
    void (*UnmarkEntity)(DList* list, EntRec* entity);
    int (*IsMarked)(DList* list, EntRec* entity);
    DList* (*OpenSubList)(DList* list, EntRec* container);
    DList* (*SubList)(DList* list, EntRec* entity);
    void (*MoveBefore)(DList* list, EntRec* entity, EntRec* other);
    void (*MoveAfter)(DList* list, EntRec* entity, EntRec* other);
    void (*BeginChange)(DList* list);
    EntRec* (*CopyEntity)(DList* list, EntRec* entity);
    unsigned char* (*GetTemplate)(DList* list, int kind);
} DListOps;

// The list object: the table of operations first; the file name of the drawing 300 bytes
// in. The rest belongs to the host.
#define QL_DLIST_NAME_OFFSET 300
#define QL_DLIST_NAME_SIZE 260
struct DList {
    const DListOps* ops;
    unsigned char hostPrivate[QL_DLIST_NAME_OFFSET - sizeof(void*)];
    char fileName[QL_DLIST_NAME_SIZE];
};

DList* GetWorkDL(void);
DList* CreateDList(const char* name, int mode);
DList* PartLoad(const char* name);
int PartInsert(DList* part, DList* target, const double* matrix, DList* owner);

void Redraw(void);
void ShowChanges(void);
void ClearSelect(void);
void ProgressMsg(const char* text);
void ShowProgress(int done, int total);

// ---------------------------------------------------------------------------------------
// Attributes, layers and styles

void SetCStuff(EntRec* entity);
void CopyCStuff(const EntRec* from, EntRec* to);
unsigned char* GetCurLayer(void);        // layer entry: number at 4, flags at 8, name at 12
void SetCurLayer(int layer);
unsigned char* FindLayerID(int layer);
int AskLayerFrozen(int layer);
void SetCurFStyle(int style);
void SetCurLStyle(int style);
unsigned char* FindFStyleName(const char* name);
unsigned char* FindFStyleID(int style);
unsigned char* FindLStyleName(const char* name);
int GetCurColor(void);
int GetBkgndColor(int which);
COLORREF LookupColor(int color);
int TSpecDialog(unsigned char* styleBlock, int mode);

// ---------------------------------------------------------------------------------------
// Preview painters

typedef struct GDraw2 {
    void (*SetPen)(void* ctx, int color, int lineStyle, int fillStyle);
    void (*DrawLine)(void* ctx, const double* a, const double* b);
    void (*DrawPolyline)(void* ctx, int count, const double* points);
    void (*DrawCircle)(void* ctx, const double* centre, double radius);
    void (*DrawTextData)(void* ctx, const unsigned char* data);  // text data part, string at +72
    void (*BeginPreview)(void* ctx);
} GDraw2;

typedef struct GDraw3 {
    void (*DrawLine3)(void* ctx, const double* a, const double* b);  // 3-D points
} GDraw3;

GDraw2* GetGDraw2(void);
GDraw3* GetGDraw3(void);

// A preview control drawn into a device context (owner-drawn list items). view starts with
// the view width and height (doubles). Painters take the control in place of a drag context.
void* CreateXWCtrl(const double* view, const RECT* rect, HDC dc);
void ReleaseXWCtrl(void* control);

// ---------------------------------------------------------------------------------------
// Text, files, macros, windows

int StLen(const char* text);
int StMatch(const char* pattern, const char* name);
void SetVar(const char* name, const char* value);
int ExecScriptCopy(const char* script);
int LoadFile(const char* name, char** text, uint32_t* size);  // text ends with a NUL
void RelMem(void* block);
const char* FullFileName(const char* name);  // host-owned buffer

typedef struct OpenFNRec {
    char* fileName;        // in and out
    const char* initial;   // initial name
    const char* defExt;    // default extension
    const char* filter;    // NUL-separated description/pattern pairs, or a host text number
    uint32_t bufferSize;   // size of fileName in bytes
    uint32_t reserved1;
    uint32_t reserved2;
    uint32_t reserved3;
} OpenFNRec;
int GetOpenFN(const char* title, OpenFNRec* record);  // non-zero when a file was chosen

HWND GetMainWin(void);

// The active drawing window: its view size in drawing units and its size in pixels.
typedef struct ADWin {
    double viewWidth;
    double viewHeight;
    int32_t pixelWidth;
    int32_t pixelHeight;
} ADWin;
ADWin* GetADWin(void);

// ---------------------------------------------------------------------------------------
// Messages and formatted texts
//
// FormSt (text, -1, caption, style): message box; returns the button (IDOK, IDYES, IDNO).
//   Styles: 0x21 message, 0x23 warning, 0x24 error, 0x05 a Yes/No question.
// FormSt (record, n, 0, destination): writes the filled-in text of a prompt record into the
//   char buffer at destination, at most n bytes with the NUL (n = 0: at most 256);
//   destination 2 shows the text as a message instead.
int FormSt(const void* source, int mode, const char* caption, uintptr_t styleOrDestination);

#define QL_FORM_SHOW ((uintptr_t)2)

// ---------------------------------------------------------------------------------------
// Dialogs. Templates are the plug-in's resources; calls while a dialog runs act on the
// innermost open dialog.

void* DefDlg(const char* templateName, int a, int b, DlgProc refresh, int c, int d);
int EDCTL(void* dlg, int id, int style, int format, int maxLength, void* variable, int zero);
int CHKCTL(void* dlg, int id, int a, int b, void* variable, uint32_t mask, CtlProc proc);
int RBCTL(void* dlg, int id, int a, int b, void* variable, int value, CtlProc proc);
int BTNCTL(void* dlg, int id, int a, int b, CtlProc click, OwnerDrawProc draw);
int CMBCTL(void* dlg, int id, int a, int b, int* index, char* text, CtlProc change,
           OwnerDrawProc draw);
int LSTCTL(void* dlg, int id, int a, int b, int* index, char* text, CtlProc change,
           OwnerDrawProc draw);
int Dialog(void* dlg, HINSTANCE instance, int zero);
void RelDlg(void* dlg);

void UpdCtl(int id);
void UpdCtlA(void);
void EnAbCtl(int id);
void DsAbCtl(int id);
void ShowCtl(int id);
void HideCtl(int id);
void FocusCtl(int id);
HWND GetDlgWin(void);

// List and combo boxes; texts up to 255 characters. Get* copy at most 256 bytes.
int AddLstStr(int id, const char* text);
int FndLstStr(int id, const char* text);
int GetLstStr(int id, char* text);
int AddCmbStr(int id, const char* text);
int FndCmbStr(int id, const char* text);
int GetCmbStr(int id, char* text);
void ClrLstStr(int id);
void ClrCmbStr(int id);
uintptr_t GetLstData(int id, int index);
void SetLstData(int id, int index, uintptr_t value);

// ---------------------------------------------------------------------------------------
// Stored settings

typedef struct SettingsRec {
    uintptr_t root;         // 0x80000001 (current user)
    char* keyPath;          // 256-byte buffer, path ending in a backslash
    const char* valueName;
    void* data;
    uint32_t dataSize;
    uint32_t valueType;     // 3 (binary)
    uint32_t bufferSize;
    uint32_t reserved;
} SettingsRec;

int RMGetValue(SettingsRec* record);  // non-zero on success; a missing value leaves data
int RMSetValue(SettingsRec* record);

#ifdef __cplusplus
}  // extern "C"

// The drawing-list operations under the names the plug-in uses.
inline void ReleaseList(DList* l) { l->ops->ReleaseList(l); }
inline EntRec* AddEntity(DList* l, const void* r) { return l->ops->AddEntity(l, static_cast<const EntRec*>(r)); }
inline EntRec* NewSubEntity(DList* l, int type, uint32_t n) { return l->ops->NewSubEntity(l, type, n); }
inline EntRec* LocateEntity(DList* l, EntRec* e) { return l->ops->LocateEntity(l, e); }
inline int DeleteEntity(DList* l, EntRec* e) { return l->ops->DeleteEntity(l, e); }
inline int RestoreEntity(DList* l, EntRec* e) { return l->ops->RestoreEntity(l, e); }
inline int RemoveEntity(DList* l, EntRec* e) { return l->ops->RemoveEntity(l, e); }
inline EntRec* ResizeEntity(DList* l, EntRec* e, uint32_t n) { return l->ops->ResizeEntity(l, e, n); }
inline int ForEachEntity(DList* l, EntityProc p, uint32_t scope, void* u1 = nullptr, void* u2 = nullptr) {
    return l->ops->ForEachEntity(l, p, scope, u1, u2);
}
inline void MarkEntity(DList* l, EntRec* e) { l->ops->MarkEntity(l, e); }
inline void UnmarkEntity(DList* l, EntRec* e) { l->ops->UnmarkEntity(l, e); }
inline int IsMarked(DList* l, EntRec* e) { return l->ops->IsMarked(l, e); }
inline DList* OpenSubList(DList* l, EntRec* e) { return l->ops->OpenSubList(l, e); }
inline DList* SubList(DList* l, EntRec* e) { return l->ops->SubList(l, e); }
inline void MoveBefore(DList* l, EntRec* e, EntRec* o) { l->ops->MoveBefore(l, e, o); }
inline void MoveAfter(DList* l, EntRec* e, EntRec* o) { l->ops->MoveAfter(l, e, o); }
inline void BeginChange(DList* l) { l->ops->BeginChange(l); }
inline EntRec* CopyEntity(DList* l, EntRec* e) { return l->ops->CopyEntity(l, e); }
inline unsigned char* GetTemplate(DList* l, int kind) { return l->ops->GetTemplate(l, kind); }
#endif

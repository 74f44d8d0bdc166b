// What every text command shares: the string and position of the entities that carry a
// string (texts 5, text-bearing entities 33, attributes 37), rewriting that string in place,
// the candidate list of the one-by-one pick modes with its scan and pick feedback, and the
// number-group step that counts a number inside a string up or down.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "core/host_api.h"

// ---------------------------------------------------------------------------------------
// Strings and positions.

// True for the types that carry a string: 5, 33 and 37.
bool IsTextBearing(const EntRec* entity);

// The string of a text-bearing entity, ending before its NUL. None for other types, for an
// attribute without a string, and for a string whose offset or NUL lies outside the record.
std::optional<std::string_view> EntityString(const EntRec* entity);

// The insertion point (x, y) of a text-bearing entity; false for other types and for a
// record too short to hold it.
bool EntityPosition(const EntRec* entity, double* position);

// Rewrites the string of a stored text-bearing entity of the working list and returns its
// address from then on (the record is resized). Texts and type-33 entities are erased and
// drawn again when redraw is set; attributes always are, through reference (the symbol
// reference that contains them, or null) unless their position is kept as stored. Other
// types, attributes whose stored offsets point outside the record, and a failed resize
// leave the entity as it was (its located address is returned).
EntRec* SetEntityString(EntRec* entity, std::string_view text, bool redraw, const EntRec* reference);

// Composes the drawing transformation of a symbol reference onto a fresh host matrix: the
// host matrix is pushed, set to identity, the reference's symbol matrix loaded and, when it
// names a definition, translated by minus the definition's base point. Pop it with
// CTMPOP. So a member point p shows in the drawing at M p - base.
void PushReferenceTransform(const EntRec* reference);

// ---------------------------------------------------------------------------------------
// Candidate list: one list shared by all text commands (only one command runs at a time).

constexpr uint32_t kCandidateUsed = 1;  // flags bit 0: already used (sequence command)

struct TextCandidate {
    TextCandidate* next;
    uint32_t flags;
    EntRec* entity;
    double x, y;          // drawing coordinates (transformed out of a symbol reference)
    EntRec* reference;    // the symbol reference that contains the entity, or null
};

// The symbol references around an entity found by a walk, innermost first: each shows its
// members through its own matrix, and the references around it show the result.
struct ReferenceChain {
    EntRec* reference;
    const ReferenceChain* outer;
};

// Frees every candidate.
void ClearCandidates();
// Appends a candidate at position; inside references, the position is transformed into the
// drawing first (through every reference of the chain), unless the entity is an attribute
// that keeps its stored position. The candidate's reference is the innermost one. False
// when the candidate could not be allocated (the list is unchanged).
bool AddCandidate(EntRec* entity, const double* position, const ReferenceChain* chain);
// Unlinks and frees a candidate; nothing when it is not in the list.
void RemoveCandidate(TextCandidate* candidate);
bool CandidatesEmpty();
// The first candidate in list order (scan order), or null; walk on with next.
TextCandidate* FirstCandidate();
size_t CandidateCount();
// The candidate nearest to point; on equal distances the earlier one. Null when empty.
TextCandidate* NearestCandidate(const double* point);

// Orders of NextCandidate.
enum CandidateOrder : int {
    CO_SMALLEST_X = 0,
    CO_LARGEST_Y = 1,
    CO_LIST = 2,  // any other value: list order
};
// Among the candidates not yet used, by order; on ties the earlier one. Null when none.
TextCandidate* NextCandidate(int order);
void MarkCandidateUsed(TextCandidate* candidate);

// The match test of a scan: true when the entity with this string becomes a candidate.
using CandidateMatch = bool (*)(const EntRec* entity, std::string_view text, void* user);

struct CandidateScan {
    CandidateMatch match = nullptr;  // null: every text-bearing entity
    void* user = nullptr;
    bool enterReferences = true;     // descend into symbol references (12)
    bool skipFrozen = false;         // also skip entities on frozen layers
};

// One pass over the working list (scope 0), appending a candidate for every text-bearing
// entity on a layer that is not hidden and whose string the match test accepts, descending
// into groups (10) and, when the scan says so, symbol references (12). Entities inside a
// reference are found with it as their containing reference. Returns false when a candidate
// could not be allocated: the scan stops there and keeps what it found.
bool ScanCandidates(const CandidateScan& scan);

// The drag step of every candidate pick: a temporary line from the raw cursor to the nearest
// candidate, and the arrow cursor.
void PickFeedback(void* ctx);

// ---------------------------------------------------------------------------------------
// Number-group step.

constexpr int kStepDown = 1;       // mode bit value 1: count down (else up)
constexpr int kStepLastGroup = 2;  // mode bit value 2: the last number group (else the first)

// Counts the first or last number of the NUL-terminated string in buffer (capacity bytes,
// NUL included) up or down in place. Leading zeros of the last group survive, and a number
// that grows by a digit takes over one zero before it. False, with the string unchanged,
// when it holds no digits, when the new value leaves the 32-bit range, or when the result
// would not fit the buffer.
bool StepNumberGroup(char* buffer, size_t capacity, int mode);

#ifndef TOVRAND_POOL_SCALE_FPOOLS_H_
#define TOVRAND_POOL_SCALE_FPOOLS_H_

#include "table/messages.h"
#include "table/record_table.h"

// The side a run rescales, as the `Nationality` byte of a pool holds it.
enum SideCode { kAllied = 0, kGerman = 1 };

// The largest quantity a slot can hold.
constexpr int kMaxQuantity = 32767;

// Rescales the quantities of one side's pools in `fpools`, in memory.
//
// Pools whose name begins with "German", "Allied" or "Americ", and pools of
// the other nationality, are passed over. For every other pool, each slot k
// up to the first negative `Team Class k` is resolved to the first record of
// its class in the side's team table (AlsTeams for Allied, GETeams for
// German) and that record's `Type`; a positive `Quantity k` of a tank or
// infantry type becomes quantity * percentage / 100, truncated. Date 0 pools
// use `tank0` and `inf0`, all others `tank_n` and `inf_n`. The percentages
// must not be negative.
//
// Returns 1 when every pool has been visited. Otherwise prints the message
// of the first failure and returns 0 at once; quantities already rewritten
// stay rewritten in memory. Nothing but `Quantity k` fields is written.
int ScaleFPools(int side, RecordTable* fpools, const RecordTable& geteams,
                const RecordTable& alsteams, int tank0, int inf0, int tank_n,
                int inf_n, Messages* messages);

#endif  // TOVRAND_POOL_SCALE_FPOOLS_H_

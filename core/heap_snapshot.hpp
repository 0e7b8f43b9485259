// core/heap_snapshot.hpp: what a stretch of start-up did to the heap, recorded once at build time
// and replayed at start instead of running that stretch again.
//
// Start-up is deterministic up to the point where the boot image is decoded: the same nodes are in
// use and the free chains are the same, whatever the machine, the folder or the arguments (their
// values take other sizes, never other nodes). A recorder notes the node table there, lets the
// stretch run, then writes every series buffer the stretch made or changed (by node id, header and
// data), the node frames it made, and the slots whose free chain it changed. Replaying copies those
// buffers into the series frames and sets the slots: buffers are found only through their node's
// slot and hold offsets, not addresses, so they may land anywhere.
//
// The record starts with a fingerprint of the node table (and of whatever the caller adds): a
// heap in another state is left as it is, and the caller runs the stretch instead.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>

#include "core/cell.hpp"

namespace vyn::alloc::snapshot {

// A fingerprint of the node table (frames, their used counts and free heads) mixed with extra.
uint64_t fingerprint(uint64_t extra);

class Recorder {
 public:
  // Notes the heap as it is now.
  void start(uint64_t extra);
  // The record of what changed since start; empty, with why set, when the stretch did something a
  // record cannot hold (freed a node it found, made a big or heap-held buffer).
  // attachment is kept with the record and handed back when it is replayed.
  std::string finish(std::string& why, const std::string& attachment = {});
  // Node ids of buffers that existed at start and were changed (for a report).
  const std::string& changed_report() const { return changed_; }

 private:
  struct Before {
    uintptr_t slot;     // the slot's value: a buffer's address or a free link
    std::string bytes;  // header and data of a live buffer
  };
  uint64_t print_ = 0;
  std::unordered_map<NodeId, Before> before_;
  std::string changed_;
};

// Replays a record made on a heap with the same fingerprint; answers false, having changed
// nothing, when the fingerprint differs or the record is not one. Collections must be off.
// attachment is set to what the recording attached.
bool apply(const uint8_t* record, size_t n, uint64_t extra, std::string_view& attachment);

}  // namespace vyn::alloc::snapshot

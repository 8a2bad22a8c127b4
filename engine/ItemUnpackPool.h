// Unpacks the archives of a job's items ahead of their turn, in a few worker
// threads, while the job places the items one by one in their order.
//
// Workers take the archives in order; at most lookAhead of them are
// unpacked or being unpacked beyond the last one the job took, which bounds
// the disk space held in working folders. Take() hands over an archive's
// UnpackedItem, waiting while a worker unpacks it, and unpacks it in the
// calling thread when no worker has started it (when there are no workers,
// or none could be started). A failed unpack is handed over like any other:
// its result and reason are reported at the item's turn. One exception: an
// unpack ahead that found the volume full is done again at the item's turn
// (the items unpacked beside it may have held the room), and only that
// try's outcome and problems are handed over.
//
// Kill() is the stop: it is called once the job's own thread was killed.
// No unpack starts afterwards; a worker in the middle of an unpack ends it
// at the next block of data, removes its working folder and ends; Kill()
// returns once every worker has ended, with the archives that were unpacked
// and waiting removed too. The workers are never killed themselves: a
// killed thread would park for good (docs/threads.md) instead of ending.
//
// The destructor stops the workers the same way and waits for them;
// archives not taken are removed then.
#pragma once

#include "ItemExtraction.h"
#include "UnpackedItem.h"

#include <OS.h>

#include <memory>
#include <string>
#include <vector>

class LibWorkFolders;

class ItemUnpackPool {
public:
    // archives in the order they will be taken; folder is where the items
    // go (working folders are made on its file system); each archive must
    // be read in place. workers may be 0.
    ItemUnpackPool(std::vector<ItemArchive> archives, const std::string& folder,
        std::shared_ptr<LibWorkFolders> workFolders, int32 workers, int32 lookAhead);
    ~ItemUnpackPool();
    ItemUnpackPool(const ItemUnpackPool&) = delete;
    ItemUnpackPool& operator=(const ItemUnpackPool&) = delete;

    // The archive at position, unpacked. Positions are taken in increasing
    // order; one that is skipped is not unpacked any more (or removed at the
    // end when it already was). A position out of order or out of range,
    // and a pool that was killed, give an item that failed.
    UnpackedItem Take(int32 position);

    // The stop (see above). Any thread but the workers may call it, more
    // than once.
    void Kill();

    // The worker threads that were started.
    int32 CountWorkers() const;

    // Workers for a job on this machine: the number of online processors,
    // at least 1, at most kMaxWorkers.
    static int32 DefaultWorkers();
    static constexpr int32 kMaxWorkers = 4;

private:
    struct State;
    struct WorkerStart;
    static int32 _WorkerMain(void* data);

    std::shared_ptr<State> fState;
};

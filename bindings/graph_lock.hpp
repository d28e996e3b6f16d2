// Sharing one graph between Python threads. Operations that only read may
// run at the same time, most of them with the interpreter lock released; an
// operation that changes the graph waits until the running reads are done.
// A change attempted by a thread that is itself inside a read of the graph
// (a heuristic calling addNode) fails at once, since waiting for itself
// would never end; and a read never waits for a waiting writer, so such a
// heuristic can still read its own graph.
#pragma once

#include <Python.h>

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <vector>

namespace tarvel_python {

class GraphLock {
public:
    GraphLock() = default;
    // A graph moved into a new Python object starts without readers.
    GraphLock(GraphLock&&) noexcept {}
    GraphLock(const GraphLock&) = delete;

    // Called holding the interpreter lock; never waits.
    void beginRead() {
        std::lock_guard<std::mutex> guard(lock);
        readers.push_back(std::this_thread::get_id());
    }

    // May be called without the interpreter lock.
    void endRead() {
        {
            std::lock_guard<std::mutex> guard(lock);
            readers.erase(std::find(readers.begin(), readers.end(), std::this_thread::get_id()));
        }
        done.notify_all();
    }

    // Called holding the interpreter lock; returns holding it, with no read
    // running. Writers keep the interpreter lock while they change the
    // graph, so no read can start until they are done.
    void beginWrite() {
        std::unique_lock<std::mutex> guard(lock);
        if (std::find(readers.begin(), readers.end(), std::this_thread::get_id()) != readers.end()) {
            throw std::runtime_error("the graph was changed while it was being searched");
        }
        while (!readers.empty()) {
            // Wait without the interpreter lock: the readers need it to finish.
            guard.unlock();
            PyThreadState* state = PyEval_SaveThread();
            {
                std::unique_lock<std::mutex> waiting(lock);
                done.wait(waiting, [&] { return readers.empty(); });
            }
            PyEval_RestoreThread(state);
            guard.lock();  // a read may have started meanwhile: look again
        }
    }

private:
    std::mutex lock;
    std::condition_variable done;
    std::vector<std::thread::id> readers;  // one element per read in progress
};

// A read of a graph for the length of a scope.
class ReadScope {
public:
    explicit ReadScope(GraphLock& graphLock) : lock(graphLock) { lock.beginRead(); }
    ~ReadScope() { lock.endRead(); }
    ReadScope(const ReadScope&) = delete;
    ReadScope& operator=(const ReadScope&) = delete;

private:
    GraphLock& lock;
};

}  // namespace tarvel_python

#include "HandlerRegistry.h"

#include <Looper.h>

#include <algorithm>

namespace BPrivate {

HandlerRegistry& HandlerRegistry::Default()
{
    // Never destroyed: loopers may still be deleted during the program's exit.
    static HandlerRegistry* registry = new HandlerRegistry();
    return *registry;
}

int32 HandlerRegistry::AddHandler(BHandler* handler)
{
    int32 token = fNextToken++;
    if (fNextToken <= 0)
        fNextToken = 1;
    fHandlers[token] = handler;
    return token;
}

void HandlerRegistry::RemoveHandler(int32 token)
{
    fHandlers.erase(token);
}

BHandler* HandlerRegistry::HandlerFor(int32 token) const
{
    auto found = fHandlers.find(token);
    return found == fHandlers.end() ? nullptr : found->second;
}

void HandlerRegistry::AddLooper(BLooper* looper)
{
    fLoopers.push_back(looper);
}

void HandlerRegistry::RemoveLooper(BLooper* looper)
{
    fLoopers.erase(std::remove(fLoopers.begin(), fLoopers.end(), looper), fLoopers.end());
}

BLooper* HandlerRegistry::LooperFor(int32 token) const
{
    for (BLooper* looper : fLoopers) {
        if (looper->Token() == token)
            return looper;
    }
    return nullptr;
}

bool HandlerRegistry::IsLooper(const BLooper* looper) const
{
    return std::find(fLoopers.begin(), fLoopers.end(), looper) != fLoopers.end();
}

std::vector<BLooper*> HandlerRegistry::Loopers() const
{
    return fLoopers;
}

} // namespace BPrivate

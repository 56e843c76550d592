#include "cad/db/stub_list.h"

#include <new>

namespace {
constexpr std::size_t kChunkBytes = 64 * 1024;  // a power of two: chunks are aligned to it
}  // namespace

struct StubList::Chunk {
    static constexpr std::size_t kCapacity = (kChunkBytes - sizeof(QxDbDatabase*)) / sizeof(QxDbStub);

    QxDbDatabase* database;
    QxDbStub stubs[kCapacity];
};

StubList::~StubList()
{
    for (Chunk* chunk : m_chunks) {
        chunk->~Chunk();
        ::operator delete(chunk, std::align_val_t(kChunkBytes));
    }
}

QxDbStub& StubList::emplace_back()
{
    static_assert(sizeof(Chunk) <= kChunkBytes, "a stub finds its chunk by rounding its address down");
    if (m_size == m_chunks.size() * Chunk::kCapacity) {
        void* memory = ::operator new(sizeof(Chunk), std::align_val_t(kChunkBytes));
        m_chunks.push_back(new (memory) Chunk{m_database, {}});
    }
    return at(m_size++);
}

QxDbStub& StubList::back() { return at(m_size - 1); }

QxDbStub& StubList::at(std::size_t index) const
{
    return m_chunks[index / Chunk::kCapacity]->stubs[index % Chunk::kCapacity];
}

QxDbDatabase* StubList::databaseOf(const QxDbStub* stub)
{
    const auto chunk = reinterpret_cast<std::uintptr_t>(stub) & ~static_cast<std::uintptr_t>(kChunkBytes - 1);
    return reinterpret_cast<const Chunk*>(chunk)->database;
}

QxDbDatabase* QxDbStub::database() const { return StubList::databaseOf(this); }

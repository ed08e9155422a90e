#pragma once

#include "core/QuaroStore.h"
#include "mcp/ToolStore.h"

namespace quaro::mcp {

// The local inbox behind the tools: every call goes straight to the store.
class QuaroToolStore final : public ToolStore {
public:
    explicit QuaroToolStore(QuaroStore& store) : m_store(store) {}

    Result<std::vector<Destino>, DatabaseError> destinos() override { return m_store.destinos(); }
    Result<std::vector<Recado>, DatabaseError> recados(std::optional<RecadoStatus> status,
                                                       const std::optional<std::string>& destinoID,
                                                       const std::optional<std::string>& search,
                                                       std::int64_t limit) override
    {
        return m_store.recados(status, destinoID, search, limit);
    }
    Result<std::optional<Recado>, DatabaseError> recado(const std::string& id) override { return m_store.recado(id); }
    Result<std::optional<Recado>, DatabaseError> claim(const std::string& id, const std::string& by) override
    {
        return m_store.claim(id, by);
    }
    Result<std::optional<Recado>, DatabaseError> resolve(const std::string& id, const std::string& result,
                                                         const std::optional<std::string>& by) override
    {
        return m_store.resolve(id, result, by);
    }

private:
    QuaroStore& m_store;
};

} // namespace quaro::mcp

#pragma once

#include "core/SQLValue.h"
#include "mcp/ToolStore.h"

#include <cstdint>

namespace quaro::nuvem {

class AccountStorage;

// One account's copy, as the remote tools see it. Claims and resolutions
// are remote changes: stamped later than what they overwrite and numbered
// with the account's change counter (its row locked meanwhile), so the next
// sync returns them. Lives for one request.
class AccountTools final : public mcp::ToolStore {
public:
    AccountTools(AccountStorage& storage, std::int64_t account) : m_storage(storage), m_account(account) {}

    Result<std::vector<Destino>, DatabaseError> destinos() override;
    Result<std::vector<Recado>, DatabaseError> recados(std::optional<RecadoStatus> status,
                                                       const std::optional<std::string>& destinoID,
                                                       const std::optional<std::string>& search,
                                                       std::int64_t limit) override;
    Result<std::optional<Recado>, DatabaseError> recado(const std::string& id) override;
    Result<std::optional<Recado>, DatabaseError> claim(const std::string& id, const std::string& by) override;
    Result<std::optional<Recado>, DatabaseError> resolve(const std::string& id, const std::string& result,
                                                         const std::optional<std::string>& by) override;

private:
    // `update` takes the change's number as ?1, the account as ?2 and the
    // id as ?3, then `parameters` from ?4.
    Result<std::optional<Recado>, DatabaseError> change(const std::string& id, const std::string& update,
                                                        std::vector<SQLValue> parameters);

    AccountStorage& m_storage;
    std::int64_t m_account;
};

} // namespace quaro::nuvem

#include "book/sign_post.h"

#include "book/identity.h"
#include "book/post_blob.h"
#include "book/signing.h"
#include "wallet/identity_keys.h"
#include "wallet/wallet_file.h"
#include "wallet/wallet_lock.h"
#include "wallet/wallet_session.h"
#include "wallet/wallet_state.h"

namespace book {
BookResult<void> sign_post(Json& post, const BookServices& services)
{
    if (!post.is_object()) return BookError(BookCode::CannotSign);
    const std::string& domain = services.config->registry_domain;
    if (!services.wallet) return BookError(BookCode::NoHandle);
    wallet::WalletSession& session = *services.wallet;
    {
        wallet::WalletLock lock(session);
        std::string handle = wallet::wallet_load(session) ? session.state().paymail : std::string();
        if (handle.empty()) return BookError(BookCode::NoHandle);
        post["actor"] = handle;
        post["paymail"] = handle + "@" + domain;
        const Json* ts = core::json_member(post, "ts");
        if (!ts || !ts->is_number()) post["ts"] = services.caches->next_post_time(services.market_now());
        std::string id = fresh_post_id();
        if (id.empty()) return BookError(BookCode::CannotSign);
        post["id"] = std::move(id);
        post["blob"] = post_blob(post);
        wallet::IdentitySignature signature = wallet::identity_sign(session, signing_string(post));
        if (!signature.error.empty()) return BookError(BookCode::WalletSignFailed, signature.error);
        post["pubkey"] = signature.pubkey_hex;
        post["sig"] = signature.signature;
    }
    if (!verify_post(post, [&](std::string_view handle) { return identity_key_of(handle, services); }))
        return BookError(BookCode::SignatureUnverified, domain);
    return {};
}

} // namespace book

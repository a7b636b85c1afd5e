#include "ui/help_texts.h"

namespace ui {

const std::array<HelpCard, 5>& help_cards()
{
    static const std::array<HelpCard, 5> cards = {{
        {"List", "Posts a four-week ask. You pay 0.01 BSV to the house. The lots stay in your Pursa, "
                 "reserved. The house never holds them."},
        {"Cancel", "Unlists your ask. No second 0.01. Same idea if you pull your own open buy offer."},
        {"Buy", "You post an offer. Your BSV is committed; the seller still has to accept. The seller "
                "needs Pursa and Tavrin Agoran open to finish."},
        {"Complete", "The seller accepts. One transaction: buyer BSV in, sold lots to the buyer, leftover "
                     "lots back to the seller. If the shop is offline you can browse, not pay."},
        {"Refresh", "Reloads the book. A frozen or network-banned identity cannot list or buy."},
    }};
    return cards;
}

std::string terms_text()
{
    const char* paragraphs[] = {
        "Tavrin Agoran - Terms of Use",
        "Tavrin Agoran is a first-party app of the Tavrin Node family. It binds to the Pursa wallet "
        "on this machine. It creates no seed, holds no spend keys and is no custodian of your coins "
        "or lots. The house paymail only names the shop.",
        "Listings are signed posts on chain. A listing pays 0.01 BSV to the house payment address "
        "as a spam gate, plus 1 satoshi to the watch oracle. A cancel pays no second 0.01. The "
        "default expiry of a listing is four weeks.",
        "Your lots stay reserved in your own Pursa wallet while they are listed. The house never "
        "holds lots or BSV. A sale is one transaction that both sides sign. While a shop is "
        "offline its listings can only be browsed.",
        "You are responsible for the origin, the price and the amounts you confirm. You may report "
        "abuse from the app. The software is provided as is, without warranty of any kind.",
    };
    std::string out;
    for (const char* paragraph : paragraphs) {
        if (!out.empty()) out += "\r\n\r\n";
        out += paragraph;
    }
    return out;
}

} // namespace ui

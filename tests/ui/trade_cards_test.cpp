// The Complete cards and refusals, and the lot choices of the List dialog.
#include <gtest/gtest.h>

#include "ui/complete_rows.h"
#include "ui/dialog_texts.h"
#include "ui/list_lot.h"

namespace {

book::Offer offer(const std::string& hex)
{
    return {.pay_sats = 25'000'000, .offer = hex};
}

ui::CompleteRow row_of(const book::Listing& listing, const book::Offer& offer, uint64_t paid = 0)
{
    const trade::OfferCheck check{.passes = paid >= offer.pay_sats, .error = trade::underpaid_error(paid, offer.pay_sats),
                                  .paid_sats = paid, .due_sats = offer.pay_sats};
    return {.row = {offer, listing}, .check = paid ? std::optional(check) : std::nullopt};
}

// A refusal never reads as passing; an offer without signed bytes cannot be completed.
TEST(CompleteRows, TheVerdictFollowsTheSellersCheck)
{
    const book::Listing a;
    const auto refused = ui::complete_card(row_of(a, offer("0100"), 1)).fields[4];
    EXPECT_TRUE(refused.value.starts_with("Refused: ")) << refused.value;
    EXPECT_EQ(refused.tone, ui::CardField::Tone::Bad);
    EXPECT_EQ(ui::complete_card(row_of(a, offer("0100"), 25'000'000)).fields[4].tone, ui::CardField::Tone::Good);
    EXPECT_EQ(ui::complete_card(row_of(a, offer(""))).fields[4].tone, ui::CardField::Tone::Normal);

    const std::vector<ui::CompleteRow> rows = {row_of(a, offer("0100")), row_of(a, offer(""))};
    EXPECT_EQ(ui::complete_refusal(rows, 0), "");
    EXPECT_EQ(ui::complete_refusal(rows, 1), ui::trade_refusal(trade::TradeCode::OfferNotSigned));
    for (int pick : {-1, 2}) EXPECT_EQ(ui::complete_refusal(rows, pick), "Pick an offer.");
    EXPECT_EQ(ui::complete_refusal({}, 0), "Nobody has offered on your listings yet.");
}

TEST(ListLots, ListedMarksBaseUnitsAndTheRestOfALot)
{
    const wallet::TvPursaOrdRow token{
        .origin = "o_0", .txid = *tx::Txid::parse(std::string(64, 'a')), .vout = 3, .name = "LAUR", .amt = "100000000000", .dec = "8"};
    EXPECT_TRUE(ui::lot_is_listed(token, {{token.txid, 3}}));
    EXPECT_FALSE(ui::lot_is_listed(token, {{token.txid, 4}}));
    EXPECT_EQ(ui::lot_quantity(token, "250.5"), "25050000000");
    EXPECT_FALSE(ui::lot_quantity(token, "0"));
    EXPECT_NE(ui::lot_rest_note(token, "250").find("the other 750 LAUR"), std::string::npos);
    EXPECT_EQ(ui::lot_rest_note(token, "1,000"), "");
    EXPECT_EQ(ui::lot_to_list(token).amount, "100000000000");

    const wallet::TvPursaOrdRow picture{.origin = "pic_0"};
    EXPECT_EQ(ui::lot_quantity(picture, "7"), "1");
    EXPECT_TRUE(ui::lot_to_list(picture).picture());
}

} // namespace

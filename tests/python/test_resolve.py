"""Resolving a query's names: outcomes, pairs, candidates, suggestions, users."""

import pytest

import smutil

O = smutil.Outcome


@pytest.mark.parametrize("name, kwargs, code", [
    ("Fin.Ledger", {}, O.AMBIGUOUS_TABLE),
    ("Fin", {}, O.AMBIGUOUS_CATALOG),
    ("Finance", {}, O.OK),
    ("Sales.Orders", {"user": "kiosk"}, O.INACCESSIBLE_TABLE),
    ("Sales.Orders", {"user": "kiosk", "show_inaccessible_as_null": True}, O.OK),
    ("Sales.Nothing", {"layer": smutil.Layer.BUSINESS_MODEL}, O.NONEXISTENT_TABLE),
])
def test_outcomes(repo: smutil.Repository, name: str, kwargs: dict, code: smutil.Outcome) -> None:
    r = repo.resolve(name, **kwargs)
    assert r.code is code
    assert bool(r) == (code == O.OK)
    assert r.resolved == (code == O.OK)


def test_a_resolved_table_lists_every_name_it_answers_to(repo: smutil.Repository) -> None:
    r = repo.resolve("Finance.Journal")
    assert r.code == O.OK and r.meaning == "exactly one table found"
    assert [(p.qualified_name, p.id) for p in r.pairs] == [
        ('"Finance".."Journal Entries"', "4008:10"),
        ('"Finance".."Journal"', "4008:10"),
    ]
    assert r.pairs[0].segments == ["Finance", "", "Journal Entries"]
    assert r.suggestions == [] and r.candidates == []


def test_the_done_example(repo: smutil.Repository) -> None:
    r = repo.resolve("Sales.Orders")
    assert r.code == O.OK
    assert [p.id for p in r.pairs][0] == "4008:1"
    assert "Resolution('Sales.Orders', <Outcome.OK: 0>" in repr(r)
    assert "NamePair('\"Sales Analysis\"..\"Orders\"', '4008:1')" in repr(r)


def test_ambiguity_names_the_candidates(repo: smutil.Repository) -> None:
    r = repo.resolve("Fin.Ledger")
    assert r.pairs == []
    assert len(r.candidates) == 2
    assert r.candidates[1].qualified_name == '"Finance Archive".."Ledger"'


def test_a_subject_area_lists_its_tables(repo: smutil.Repository) -> None:
    r = repo.resolve("Finance")
    assert r.subject_area == "4004:4"
    assert len(r.pairs) == 3


def test_suggestions_come_from_what_the_user_may_read(repo: smutil.Repository) -> None:
    assert repo.resolve("Sales.Margin").suggestions == ['"Sales Analysis"."Margins"']
    assert repo.resolve("Sales.Margin", user="tom.ito").suggestions == []
    column = repo.resolve("Sales.Orders.Discont", column=True)
    assert '"Sales"."Orders"."Discount"' in column.suggestions
    assert repo.resolve("Sales.Orders.Discont", column=True, user="anna.berg").suggestions == []


def test_columns(repo: smutil.Repository) -> None:
    r = repo.resolve("Sales.Orders.Revenue", column=True)
    assert r.column and r.resolved and len(r.pairs) == 1
    assert r.code is None and r.meaning is None
    hidden = repo.resolve("Sales.Orders.Discount", column=True, user="anna.berg")
    assert not hidden.resolved and hidden.inaccessible_columns and hidden.pairs == []


def test_a_user_applies_to_one_call_only(repo: smutil.Repository) -> None:
    assert repo.resolve("Sales.Orders", user="kiosk").code == O.INACCESSIBLE_TABLE
    assert repo.resolve("Sales.Orders").code == O.OK


def test_names_as_segments(repo: smutil.Repository) -> None:
    assert repo.resolve(["Sales", "Orders"]).code == O.OK
    assert repo.resolve(["Sales", "Orders"]).name == '"Sales"."Orders"'


def test_bad_arguments(repo: smutil.Repository) -> None:
    with pytest.raises(smutil.NotFoundError) as e:
        repo.resolve("Sales.Orders", user="nobody")
    assert "no user named 'nobody'" in str(e.value)
    with pytest.raises(smutil.UsageError):
        repo.resolve("X", layer=7)  # type: ignore[arg-type]
    with pytest.raises(TypeError):
        repo.resolve(12)  # type: ignore[arg-type]

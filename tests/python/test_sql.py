"""Logical SQL queries from Python: their faults as objects, and the query
written back in the naming modes."""

import pytest

import smutil


def test_a_sound_query_has_no_faults(repo: smutil.Repository) -> None:
    assert repo.sql.check("SELECT Orders.Revenue, Customers.Region FROM Sales ORDER BY 1") == []


@pytest.mark.parametrize("text, line, column, code, outcome", [
    # "SELECT " is 7 characters: the name starts at column 8.
    ("SELECT Orders.Revenu FROM Sales", 1, 8, "sql.name.nonexistent-column", smutil.SqlOutcome.NONEXISTENT_COLUMN),
    ("SELECT Ordr.Quantity FROM Sales", 1, 8, "sql.name.nonexistent-table", smutil.SqlOutcome.NONEXISTENT_TABLE),
    ("SELECT x\nFROM Nowhere", 2, 6, "sql.name.nonexistent-subject-area", smutil.SqlOutcome.NONEXISTENT_CATALOG),
    ('SELECT "Net Revenue" FROM Sales', 1, 8, "sql.name.ambiguous-column", smutil.SqlOutcome.AMBIGUOUS_COLUMN),
    # Syntax: what was expected, where the comma stands.
    ("SELECT Orders.Revenue +, 1 FROM Sales", 1, 24, "sql.syntax.expected", None),
])
def test_each_fault_with_its_place_and_outcome(repo: smutil.Repository, text: str, line: int, column: int,
                                               code: str, outcome: object) -> None:
    faults = repo.sql.check(text)
    assert [(d.line, d.column, d.code) for d in faults][:1] == [(line, column, code)]
    d = faults[0]
    assert d.severity is smutil.SqlSeverity.ERROR
    assert d.outcome is outcome
    # Bytes before the fault: the first line and its line break, then the columns before it.
    before = (len(text.split("\n")[0]) + 1 if line == 2 else 0) + column - 1
    assert d.offset == before
    assert d.end_offset > d.offset
    assert code in repr(d) and f"{line}:{column}" in repr(d)


def test_suggestions_and_candidates(repo: smutil.Repository) -> None:
    miss = repo.sql.check("SELECT Orders.Revenu FROM Sales")[0]
    assert '"Orders"."Revenue"' in miss.suggestions
    assert miss.message == 'No column is named "Orders"."Revenu".'
    assert miss.message_id == 47027
    ambiguous = repo.sql.check('SELECT "Net Revenue" FROM Sales')[0]
    assert len(ambiguous.candidates) >= 2
    assert all(isinstance(c, smutil.NamePair) for c in ambiguous.candidates)


def test_a_users_read_denials_and_nothing_of_them_leaks(repo: smutil.Repository) -> None:
    text = 'SELECT Orders."Order Id", Orders.Discount FROM Sales'
    denied = repo.sql.check(text, user="anna.berg")
    assert [(d.column, d.outcome) for d in denied] == [(27, smutil.SqlOutcome.INACCESSIBLE_COLUMN)]
    assert denied[0].suggestions == [] and denied[0].candidates == []
    # The user signed on for that call alone.
    assert repo.sql.check(text) == []
    unknown = repo.sql.check(text, user="nobody.here")
    assert [d.code for d in unknown] == ["sql.bind.unknown-user"]


def test_every_fault_of_one_query(repo: smutil.Repository) -> None:
    faults = repo.sql.check("SELECT Orders.Revenu,\n  Ordr.Quantity\nFROM Sales\nWHERE Orders.Staus = 'x'")
    assert [(d.line, d.column) for d in faults] == [(1, 8), (2, 3), (4, 7)]


def test_format_in_each_naming_mode(repo: smutil.Repository) -> None:
    text = "SELECT Orders.Revenue FROM Sales WHERE Orders.Quantity > 2 ORDER BY 1 DESC FETCH FIRST 5 ROWS ONLY"
    full = repo.sql.format(text)
    assert full.startswith('SELECT "Sales Analysis".')
    assert "FROM \"Sales Analysis\"" in full and "DESC" in full and "FETCH FIRST 5 ROWS ONLY" in full
    # The fully qualified text reads back to itself.
    assert repo.sql.check(full) == []
    assert repo.sql.format(full) == full
    by_id = repo.sql.format(text, by_id=True)
    assert '"4010:3"' in by_id and "Revenue\"" not in by_id.split(" AS ")[0]
    with pytest.raises(smutil.UsageError):
        repo.sql.format(text, by_id=True, display=True)


def test_display_names_in_the_repositorys_language(repo: smutil.Repository) -> None:
    text = 'SELECT Products."Product Name" FROM "Localized Sales"'
    repo.language = "fr"
    assert "Nom du produit" in repo.sql.format(text, display=True)
    repo.language = "en"
    assert "Product name" in repo.sql.format(text, display=True)


def test_format_of_a_broken_query_raises_with_the_place(repo: smutil.Repository) -> None:
    with pytest.raises(smutil.UsageError) as raised:
        repo.sql.format("SELECT Orders.Revenue\nFROM Sales\nWHERE Orders.Staus = 1")
    assert (raised.value.line, raised.value.column) == (3, 7)
    assert "Staus" in raised.value.message

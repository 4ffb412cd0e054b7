"""Qualified names: quote, parse, split and the typed reading."""

import pytest

import smutil


@pytest.mark.parametrize("segments, written", [
    (["Sales", "Orders"], '"Sales"."Orders"'),
    (["Sales", 'Order "Lines"', "Amount"], '"Sales"."Order ""Lines"""."Amount"'),
    (["Sales", "", "Orders"], '"Sales".."Orders"'),
    (["", "Orders"], '""."Orders"'),
    (["Ventes localisées", "Données"], '"Ventes localisées"."Données"'),
])
def test_quote_writes_every_segment_quoted(segments: list, written: str) -> None:
    assert smutil.quote(segments) == written


@pytest.mark.parametrize("segments", [
    ["Sales", "", "Amount"],
    ["A.B", "C"],
    ["😀 emoji", "x"],
])
def test_parse_and_segments_undo_quote(segments: list) -> None:
    assert smutil.parse(smutil.quote(segments)) == segments
    assert smutil.segments(smutil.quote(segments)) == segments


def test_segments_undo_doubled_quotes() -> None:
    written = smutil.quote(["Sales", 'Order "Lines"'])
    assert smutil.segments(written) == ["Sales", 'Order "Lines"']


@pytest.mark.parametrize("text, segments", [
    ("Sales.Orders.Amount", ["Sales", "Orders", "Amount"]),
    ('"Sales DW".SALESDB', ["Sales DW", "SALESDB"]),
    ('"A.B".C', ["A.B", "C"]),
])
def test_split_cuts_at_full_stops_outside_quotes(text: str, segments: list) -> None:
    assert smutil.split(text) == segments


@pytest.mark.parametrize("text, segments", [
    ('"Sales DW".SALESDB', ["Sales DW", "SALESDB"]),
    ('"Sales".."Orders"', ["Sales", "", "Orders"]),
    ('Sales Analysis.Customers', ["Sales Analysis", "Customers"]),
    ('"Say ""hi""".x', ['Say "hi"', "x"]),
    (["Sales", "Orders.Lines"], ["Sales", "Orders.Lines"]),
])
def test_segments_read_typed_names(text: object, segments: list) -> None:
    assert smutil.segments(text) == segments  # type: ignore[arg-type]


def test_names_must_be_text() -> None:
    with pytest.raises(TypeError):
        smutil.quote("Sales")  # a str would quote each letter
    with pytest.raises(TypeError):
        smutil.quote([1, 2])  # type: ignore[list-item]
    with pytest.raises(TypeError):
        smutil.parse(None)  # type: ignore[arg-type]


def test_the_stubs_name_every_enum_member() -> None:
    # The stubs are written by hand; they must list what the module makes.
    import ast
    import pathlib
    stub = ast.parse((pathlib.Path(smutil.__file__).parent / "__init__.pyi").read_text())
    declared = {}
    for node in stub.body:
        if isinstance(node, ast.ClassDef) and node.name in ("ObjectType", "Outcome", "Layer", "Severity"):
            declared[node.name] = {t.targets[0].id: t.value.value for t in node.body  # type: ignore[attr-defined]
                                   if isinstance(t, ast.Assign)}
    for name, members in declared.items():
        cls = getattr(smutil, name)
        assert members == {k: int(v) for k, v in cls.__members__.items()}, name


def test_everyday_type_names_are_aliases() -> None:
    assert smutil.ObjectType.LOGICAL_COLUMN is smutil.ObjectType.ATTRIBUTE
    assert smutil.ObjectType.PRESENTATION_TABLE is smutil.ObjectType.ENTITY_FOLDER
    assert smutil.ObjectType["BUSINESS_MODEL"] == 2000

"""Rendering expressions in the naming modes."""

import pytest

import smutil

REVENUE = "Sales.Orders.Revenue"  # Quantity * Unit Price - Discount, in the business model Sales
COL = smutil.ObjectType.LOGICAL_COLUMN


@pytest.mark.parametrize("kwargs, text", [
    ({}, 'Orders.Quantity * Orders."Unit Price" - Orders.Discount'),
    ({"fully_qualified": True, "quotes": True},
     '"Sales"."Orders"."Quantity" * "Sales"."Orders"."Unit Price" - "Sales"."Orders"."Discount"'),
    ({"single_part": True}, 'Quantity * "Unit Price" - Discount'),
    ({"by_id": True}, '"2006:2" * "2006:3" - "2006:4"'),
    ({"catalog": "Sales Analysis"},
     '"Sales Analysis"."Orders"."Quantity" * "Orders"."Unit Price" - "Sales Analysis"."Orders"."Discount"'),
    ({"reparent": "Sales.Orders", "to": "Sales.Order Lines"},
     '"Sales"."Order Lines"."Quantity" * "Sales"."Order Lines"."Unit Price" - "Sales"."Order Lines"."Discount"'),
])
def test_modes(repo: smutil.Repository, kwargs: dict, text: str) -> None:
    assert repo.render(REVENUE, type=COL, **kwargs) == text


def test_targets_by_object_id_and_segments(repo: smutil.Repository) -> None:
    expected = '"2006:2" * "2006:3" - "2006:4"'
    assert repo.render("2006:24", by_id=True) == expected
    assert repo.render(["Sales", "Orders", "Revenue"], type=COL, by_id=True) == expected
    assert repo.render(repo.object("2006:24"), by_id=True) == expected


def test_a_join_condition(repo: smutil.Repository) -> None:
    join = repo.object("3012:1")
    assert repo.render(join, by_id=True) == '"3003:36" = "3003:9"'
    assert repo.render(join, single_part=True) == "CUSTOMER_ID = CUSTOMER_ID"
    renamed = repo.render(join, rename_db={"Sales DW": "Sales DW 2"})
    assert '"Sales DW 2"' in renamed and "Marketing" in renamed


def test_catalog_with_display_names_in_two_languages(repo: smutil.Repository) -> None:
    expr = "Concat(Concat(#2006:29,#2006:30),#2006:31)"
    assert repo.render_text(expr, catalog="Localized Sales") == (
        ' CONCAT( CONCAT("Localized Sales"."Products"."Product Id", "Localized Sales"."Products".'
        '"Product Name"), "Localized Sales"."Products"."Category")')
    repo.language = "fr"
    assert repo.render_text(expr, catalog="Localized Sales", display=True) == (
        ' CONCAT( CONCAT("Ventes localisées"."Produits"."Product number", "Ventes localisées".'
        '"Produits"."Nom du produit"), "Ventes localisées"."Produits"."Category")')
    assert repo.render_text("Concat(#4010:25,#4010:24)", display=True) == \
        ' CONCAT("Nom du produit", "Product number")'
    repo.language = "en"
    assert repo.language == "en"
    assert repo.render_text("Concat(#4010:25,#4010:24)", display=True) == \
        ' CONCAT("Product name", "Product number")'


def test_expression_text_without_references(repo: smutil.Repository) -> None:
    assert repo.render_text("Add(Multiply(S'Unit Price',2),1)") == '"Unit Price" * 2 + 1'


@pytest.mark.parametrize("kwargs", [
    {"catalog": "Sales Analysis", "quotes": True},
    {"catalog": "Sales Analysis", "by_id": True},
    {"reparent": "Sales.Orders"},
    {"rename_db": {"A": "B"}, "reparent": "Sales.Orders", "to": "X"},
    {"rename_db": {"A": "B"}, "display": True},
])
def test_modes_that_exclude_each_other(repo: smutil.Repository, kwargs: dict) -> None:
    with pytest.raises(smutil.UsageError):
        repo.render(REVENUE, type=COL, **kwargs)


def test_objects_without_an_expression_and_bad_text(repo: smutil.Repository) -> None:
    with pytest.raises(smutil.UsageError) as e:
        repo.render("4008:2")
    assert "holds no expression" in e.value.message
    with pytest.raises(smutil.UsageError):
        repo.render_text("Add(")

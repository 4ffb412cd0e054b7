"""Type stubs of smutil, the metadata utilities of the query server's repository."""

import enum
import os
from types import TracebackType
from typing import Dict, Iterable, List, Mapping, Optional, Sequence, Tuple, Type, Union

__version__: str

_Path = Union[str, "os.PathLike[str]"]
# A name as people type it ("Sales".Orders) or its segments.
_Name = Union[str, Sequence[str]]
# An object given as an Object, an id ("3001:12") or a qualified name.
_Target = Union["Object", str, Sequence[str]]
_TypeArg = Union["ObjectType", int, str]

class Error(Exception):
    message: str
    source: Optional[str]
    line: Optional[int]
    column: Optional[int]
    def __init__(self, message: str, source: Optional[str] = ..., line: Optional[int] = ...,
                 column: Optional[int] = ...) -> None: ...

class LoadError(Error): ...
class WriteError(Error): ...
class NotFoundError(Error, LookupError): ...
class AmbiguousError(Error, LookupError): ...
class UsageError(Error, ValueError): ...
class MoveError(Error): ...
class TranslationError(Error): ...
class ClosedError(Error): ...
class InvariantError(Error): ...

class Outcome(enum.IntEnum):
    OK = 0
    UNRESOVABLE_TABLE = 1
    AMBIGUOUS_TABLE = 2
    AMBIGUOUS_CATALOG = 3
    INACCESSIBLE_TABLE = 4
    NONEXISTENT_TABLE = 5

class SqlSeverity(enum.IntEnum):
    ERROR = 0
    WARNING = 1

class SqlOutcome(enum.IntEnum):
    OK = 0
    UNRESOVABLE_TABLE = 1
    AMBIGUOUS_TABLE = 2
    AMBIGUOUS_CATALOG = 3
    INACCESSIBLE_TABLE = 4
    NONEXISTENT_TABLE = 5
    AMBIGUOUS_COLUMN = 6
    INACCESSIBLE_COLUMN = 7
    NONEXISTENT_COLUMN = 8
    NONEXISTENT_CATALOG = 9
    INACCESSIBLE_CATALOG = 10
    NONEXISTENT_VARIABLE = 11

class Layer(enum.IntEnum):
    PRESENTATION = 0
    PHYSICAL = 1
    BUSINESS_MODEL = 2

class Severity(enum.IntEnum):
    UNKNOWN = 0
    WARNING = 1
    ERROR = 2
    BEST_PRACTICE = 3

class ObjectType(enum.IntEnum):
    SUBJECT_AREA = 2000
    ENTITY = 2002
    ROLE_RELATIONSHIP = 2004
    ATTRIBUTE = 2006
    LOGICAL_KEY = 2008
    ROLE = 2010
    INSTANCE = 2012
    LOGICAL_CUBE = 2017
    DIMENSION = 2019
    LEVEL = 2025
    LEVEL_RELATIONSHIP = 2027
    MEMBER = 2029
    MEASURE = 2031
    LOGICAL_FOREIGN_KEY = 2033
    LOGICAL_TABLE = 2035
    LOGICAL_TABLE_SOURCE = 2037
    LOGICAL_SOURCE_FOLDER = 2046
    AGGREGATE_MEASURE = 2048
    AGGREGATE_RULE = 2050
    LOGICAL_DISPLAY_FOLDER = 2052
    OVERRIDE_AGGREGATE_RULE = 2054
    RELATIVE_SEQUENCE_NUMBER = 2058
    TABLE = 3001
    COLUMN = 3003
    FOREIGN_KEY = 3006
    TABLE_KEY = 3008
    JOIN = 3012
    DATABASE = 3023
    CATALOG = 3025
    SCHEMA = 3027
    CONNECTION_POOL = 3029
    RP_VARIABLE = 3031
    SESSION_VARIABLE_BLOCK = 3033
    LDAP_SERVER = 3035
    PHYSICAL_DISPLAY_FOLDER = 3037
    CUBE_TABLE = 3039
    HIERARCHY = 3041
    CUBE_COLUMN = 3043
    PHYSICAL_LEVEL = 3045
    CUSTOM_AUTHENTICATOR = 3047
    ANALYTIC_WORKSPACE = 3049
    AW_DIMENSION = 3052
    AW_CUBE = 3054
    AW_HIERARCHY = 3056
    AW_LEVEL = 3058
    AW_COLUMN = 3060
    ATTRIBUTE_MAP = 3900
    ENTITY_MAP = 3902
    RELATIONSHIP_MAP = 3904
    FOLDER = 4000
    ATTRIBUTED_ENTITY = 4002
    CATALOG_FOLDER = 4004
    SCHEMA_FOLDER = 4006
    ENTITY_FOLDER = 4008
    FOLDER_ATTRIBUTE = 4010
    CATALOG_LINK = 4012
    CUSTOMER_TYPE = 4014
    LIST_CATALOG = 4016
    QUALIFIED_ITEM = 4018
    QUALIFYING_KEY = 4020
    SAMPLING_TABLE = 4024
    SEGMENTATION_CATALOG = 4026
    PRESENTATION_HIERARCHY = 4028
    PRESENTATION_LEVEL = 4030
    OBJECT_PRIVILEGE = 1500
    USER = 1501
    TYPE_PRIVILEGE = 4202
    QUERY_PRIVILEGE = 4204
    SECURITY_ROLE = 4206
    PRIVILEGE_PACKAGE = 4209
    USER_DATABASE_SIGNON = 4211
    PROJECT = 4213
    LICENSE = 4215
    QUERY_OBJECT = 4217
    # The everyday names of the layers, aliases of the members above.
    BUSINESS_MODEL = 2000
    PHYSICAL_TABLE = 3001
    PHYSICAL_COLUMN = 3003
    LOGICAL_COLUMN = 2006
    PRESENTATION_SUBJECT_AREA = 4004
    PRESENTATION_TABLE = 4008
    PRESENTATION_COLUMN = 4010
    LOGICAL_JOIN = 2004
    LOGICAL_DIMENSION = 2019
    LOGICAL_LEVEL = 2025
    PHYSICAL_KEY = 3008
    PHYSICAL_FOREIGN_KEY = 3006
    PHYSICAL_JOIN = 3012
    COMPLEX_JOIN = 3012
    PHYSICAL_CATALOG = 3025
    PHYSICAL_SCHEMA = 3027
    VARIABLE = 3031
    REPOSITORY_VARIABLE = 3031
    SESSION_VARIABLE = 3031
    INITIALIZATION_BLOCK = 3033
    INIT_BLOCK = 3033

def quote(segments: Sequence[str]) -> str:
    """The written form of a qualified name: every segment quoted, joined by full stops."""
def parse(text: str) -> List[str]:
    """The segments of written qualified-name text as the library parses it."""
def split(text: str) -> List[str]:
    """Cuts a name at every full stop; a quoted run keeps its full stops."""
def segments(name: _Name) -> List[str]:
    """The segments of a name as people type it, each bare or quoted."""

class Object:
    """An object of a repository, held by its id."""
    @property
    def id(self) -> str: ...
    @property
    def type(self) -> ObjectType: ...
    @property
    def type_name(self) -> str: ...
    @property
    def name(self) -> str: ...
    @property
    def qualified_name(self) -> str: ...
    @property
    def segments(self) -> List[str]: ...
    @property
    def parent(self) -> Optional[Object]: ...
    @property
    def children(self) -> List[Object]: ...
    @property
    def aliases(self) -> List[str]: ...
    @property
    def display_name(self) -> Optional[str]: ...
    @property
    def description(self) -> Optional[str]: ...
    def __eq__(self, other: object) -> bool: ...
    def __hash__(self) -> int: ...

class NamePair:
    """A qualified name with the id of the object it names."""
    @property
    def qualified_name(self) -> str: ...
    @property
    def segments(self) -> List[str]: ...
    @property
    def id(self) -> str: ...

class Resolution:
    """The answer of resolving one name."""
    @property
    def name(self) -> str: ...
    @property
    def resolved(self) -> bool: ...
    @property
    def column(self) -> bool: ...
    @property
    def code(self) -> Optional[Outcome]: ...
    @property
    def meaning(self) -> Optional[str]: ...
    @property
    def pairs(self) -> List[NamePair]: ...
    @property
    def candidates(self) -> List[NamePair]: ...
    @property
    def subject_area(self) -> Optional[str]: ...
    @property
    def inaccessible_columns(self) -> bool: ...
    @property
    def suggestions(self) -> List[str]: ...
    def __bool__(self) -> bool: ...

class Finding:
    """One consistency finding."""
    @property
    def message_id(self) -> int: ...
    @property
    def severity(self) -> Severity: ...
    @property
    def check(self) -> str: ...
    @property
    def object(self) -> Object: ...
    @property
    def objects(self) -> List[Object]: ...
    @property
    def text(self) -> str: ...

class DictEntry:
    """Where an object goes in the metadata dictionary."""
    @property
    def object(self) -> Object: ...
    @property
    def tag(self) -> str: ...
    @property
    def short_name(self) -> str: ...
    @property
    def normalized_name(self) -> str: ...
    @property
    def path(self) -> str: ...
    @property
    def url(self) -> str: ...

class SiteReport:
    """What writing the dictionary site did."""
    @property
    def pages(self) -> int: ...
    @property
    def pictures(self) -> int: ...
    @property
    def written(self) -> int: ...
    @property
    def unchanged(self) -> int: ...
    @property
    def largest_file(self) -> int: ...
    @property
    def largest_path(self) -> str: ...

class Dependent:
    """An object that deleting another would take along."""
    @property
    def object(self) -> Object: ...
    @property
    def from_object(self) -> Optional[Object]: ...
    @property
    def relationship(self) -> int: ...
    @property
    def relationship_name(self) -> str: ...

class Translations:
    """The translation round trip of a repository."""
    def export(self, out: _Path, *, language: str, source_language: str = ...,
               bundles: Optional[_Path] = ...) -> Tuple[int, int]:
        """Writes an XLIFF 2.0 document; returns (units, objects)."""
    def import_(self, file: _Path, *, bundles: _Path) -> ImportResult:
        """Loads a translated document into the bundle store."""
    def check(self, bundles: _Path, *, language: Optional[str] = ...) -> CoverageReport:
        """The coverage of the bundle store."""

class ImportResult:
    """What importing a translated document did."""
    @property
    def language(self) -> str: ...
    @property
    def imported(self) -> int: ...
    @property
    def untranslated(self) -> int: ...
    @property
    def unmatched(self) -> List[str]: ...

class CoverageReport:
    """What the bundle store lacks."""
    @property
    def languages(self) -> List[str]: ...
    @property
    def objects_without_variables(self) -> List[str]: ...
    @property
    def missing(self) -> Dict[str, List[str]]: ...
    @property
    def unused(self) -> Dict[str, List[str]]: ...
    @property
    def complete(self) -> bool: ...

class SqlDiagnostic:
    """One fault of a logical SQL query, with its place in the text."""
    @property
    def severity(self) -> SqlSeverity: ...
    @property
    def code(self) -> str: ...
    @property
    def message_id(self) -> int: ...
    @property
    def message(self) -> str: ...
    @property
    def line(self) -> int: ...
    @property
    def column(self) -> int: ...
    @property
    def end_line(self) -> int: ...
    @property
    def end_column(self) -> int: ...
    @property
    def offset(self) -> int: ...
    @property
    def end_offset(self) -> int: ...
    @property
    def outcome(self) -> Optional[SqlOutcome]: ...
    @property
    def candidates(self) -> List[NamePair]: ...
    @property
    def suggestions(self) -> List[str]: ...

class Sql:
    """Logical SQL queries read against a repository (repo.sql)."""
    def check(self, text: str, *, user: Optional[str] = ...) -> List[SqlDiagnostic]:
        """Every fault of the query, in text order; empty when it is sound."""
    def format(self, text: str, *, user: Optional[str] = ..., by_id: bool = ..., display: bool = ...) -> str:
        """The query written back in one naming mode; UsageError at the first error."""

class Repository:
    """An open repository."""
    @staticmethod
    def load(path: _Path) -> Repository:
        """Reads a repository file; LoadError with the position of the first fault."""
    def save(self, path: _Path) -> None:
        """Writes the repository, leaving an existing file whole on failure."""
    def close(self) -> None:
        """Frees the repository."""
    @property
    def closed(self) -> bool: ...
    @property
    def source(self) -> str: ...
    @property
    def language(self) -> Optional[str]: ...
    @language.setter
    def language(self, language: Optional[str]) -> None: ...
    @property
    def translations(self) -> Translations: ...
    @property
    def sql(self) -> Sql: ...
    def __enter__(self) -> Repository: ...
    def __exit__(self, exc_type: Optional[Type[BaseException]], exc: Optional[BaseException],
                 tb: Optional[TracebackType]) -> bool: ...
    def __len__(self) -> int: ...
    def object(self, name: _Target, type: Optional[_TypeArg] = ...) -> Object:
        """The one object of an id or qualified name."""
    def find(self, name: _Name, type: Optional[_TypeArg] = ...) -> List[Object]:
        """Every object an id or qualified name names, one per type."""
    def objects(self, type: _TypeArg) -> List[Object]:
        """Every object of a type."""
    def resolve(self, name: _Name, *, user: Optional[str] = ..., layer: Layer = ..., column: bool = ...,
                show_inaccessible_as_null: bool = ...) -> Resolution:
        """Resolves a query's table (or table.column) name as the server does."""
    def render(self, target: _Target, *, type: Optional[_TypeArg] = ..., quotes: bool = ...,
               fully_qualified: bool = ..., single_part: bool = ..., by_id: bool = ..., display: bool = ...,
               catalog: Optional[_Target] = ..., reparent: Optional[_Target] = ..., to: Optional[_Name] = ...,
               rename_db: Optional[Mapping[str, str]] = ...) -> str:
        """An object's expression as logical SQL in a naming mode."""
    def render_format(self, target: _Target, *, type: Optional[_TypeArg] = ..., quotes: bool = ...,
                      fully_qualified: bool = ..., single_part: bool = ..., by_id: bool = ...,
                      display: bool = ..., catalog: Optional[_Target] = ..., reparent: Optional[_Target] = ...,
                      to: Optional[_Name] = ..., rename_db: Optional[Mapping[str, str]] = ...) -> str:
        """An object's format string in a naming mode."""
    def render_text(self, text: str, *, type: Optional[_TypeArg] = ..., quotes: bool = ...,
                    fully_qualified: bool = ..., single_part: bool = ..., by_id: bool = ...,
                    display: bool = ..., catalog: Optional[_Target] = ..., reparent: Optional[_Target] = ...,
                    to: Optional[_Name] = ..., rename_db: Optional[Mapping[str, str]] = ...) -> str:
        """Expression text form as logical SQL in a naming mode."""
    def check(self, *, types: Optional[Iterable[_TypeArg]] = ..., changed_since: Optional[_Path] = ...,
              object: Optional[_Target] = ...) -> List[Finding]:
        """Runs the consistency checks."""
    def dict_entry(self, target: _Target, type: Optional[_TypeArg] = ...) -> DictEntry:
        """The dictionary entry of one object."""
    def dict_entries(self, type: Optional[_TypeArg] = ...) -> List[DictEntry]:
        """The dictionary entries of every object (of one type)."""
    def site(self, out_dir: _Path, *, types: Optional[Iterable[_TypeArg]] = ..., changed_only: bool = ...,
             findings: Optional[Iterable[Finding]] = ...) -> SiteReport:
        """Writes the browsable metadata dictionary."""
    def deps(self, target: _Target, type: Optional[_TypeArg] = ...) -> List[Dependent]:
        """What deleting the object would take along."""
    def move(self, target: _Target, new_parent: _Target, *, type: Optional[_TypeArg] = ...,
             parent_type: Optional[_TypeArg] = ...) -> Object:
        """Moves an object under a new parent."""

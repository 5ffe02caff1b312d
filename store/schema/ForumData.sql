-- The catalogue as delivered: both tables, empty. Numbers of removed follows are never
-- given out again, so a follow number names one thread for the life of the file.
create table WebpageBaseInfo(
    FocusPageNo integer primary key autoincrement,
    WebpageUrl text,
    WebpageName text,
    NotifyDelTime text,
    WebpageAuthor text,
    DBFileName text,
    RenovateSpan integer,
    DeleteFocus integer,
    PageCount integer
);

create table TianyaFocusInfo(
    TianyaFocusNo integer primary key autoincrement,
    FocusType text,
    FocusTitle text,
    FocusUrl text
);

#include "PgSchema.h"

namespace Venue {

namespace {

constexpr auto kTimeout = std::chrono::seconds(30);

// Microsecond clock of the server, as the station's times are stored.
constexpr const char* kTables = R"SQL(
CREATE SCHEMA IF NOT EXISTS kestrin;
CREATE OR REPLACE FUNCTION kestrin.now_us() RETURNS bigint LANGUAGE sql STABLE
    AS $$ SELECT (extract(epoch FROM clock_timestamp()) * 1000000)::bigint $$;

CREATE TABLE IF NOT EXISTS kestrin.venue_group (
    name text PRIMARY KEY CHECK (name <> ''));
CREATE TABLE IF NOT EXISTS kestrin.venue (
    name       text PRIMARY KEY CHECK (name <> ''),
    grp        text NOT NULL REFERENCES kestrin.venue_group (name),
    login_role text UNIQUE,
    profile    text NOT NULL DEFAULT 'full');

CREATE TABLE IF NOT EXISTS kestrin.scan_event (
    id          uuid NOT NULL,
    venue       text NOT NULL,
    station     text NOT NULL,
    scanned_at  bigint NOT NULL,
    received_at bigint,
    verdict     text NOT NULL CHECK (verdict IN ('ok', 'under-age', 'expired', 'unknown', 'banned', 'flagged', 'vip')),
    age         integer,
    sex_code    text NOT NULL DEFAULT '',
    state       text NOT NULL DEFAULT '',
    format      text NOT NULL DEFAULT '',
    warnings    text NOT NULL DEFAULT '',
    list_hits   text NOT NULL DEFAULT '',
    id_hmac     bytea CHECK (id_hmac IS NULL OR octet_length(id_hmac) = 32),
    uploaded_by text NOT NULL DEFAULT session_user,
    PRIMARY KEY (venue, id, scanned_at))
    PARTITION BY RANGE (scanned_at);
CREATE INDEX IF NOT EXISTS scan_event_time ON kestrin.scan_event (venue, scanned_at);

-- Monthly partitions (UTC) from two years back to three months ahead, so that retention drops a month
-- instead of deleting rows. A scan time outside them (a door's clock far off) has no partition: the
-- server refuses the row (23514) and the door sets it aside. Doors call this at every connect, so the
-- months ahead exist without a scheduler; existing ones are left alone.
CREATE OR REPLACE FUNCTION kestrin.ensure_partitions() RETURNS void
    LANGUAGE plpgsql SECURITY DEFINER SET search_path = pg_catalog, pg_temp AS $$
DECLARE
    v_month date;
    v_name text;
BEGIN
    IF (SELECT relkind FROM pg_class WHERE oid = 'kestrin.scan_event'::regclass) <> 'p' THEN
        RETURN;
    END IF;
    PERFORM pg_advisory_xact_lock(7365735);
    FOR i IN -24..3 LOOP
        v_month := (date_trunc('month', now() AT TIME ZONE 'UTC') + make_interval(months => i))::date;
        v_name := 'scan_event_p' || to_char(v_month, 'YYYYMM');
        IF to_regclass('kestrin.' || v_name) IS NULL THEN
            EXECUTE format('CREATE TABLE kestrin.%I PARTITION OF kestrin.scan_event FOR VALUES FROM (%s) TO (%s)',
                           v_name,
                           (extract(epoch FROM v_month::timestamp AT TIME ZONE 'UTC') * 1000000)::bigint,
                           (extract(epoch FROM (v_month + interval '1 month')::timestamp AT TIME ZONE 'UTC')
                                * 1000000)::bigint);
            -- Reached only through the parent, whose policies hold; alone, a month shows nothing.
            EXECUTE format('ALTER TABLE kestrin.%I ENABLE ROW LEVEL SECURITY, FORCE ROW LEVEL SECURITY', v_name);
        END IF;
    END LOOP;
END $$;

CREATE TABLE IF NOT EXISTS kestrin.door_count (
    id          uuid NOT NULL,
    venue       text NOT NULL,
    station     text NOT NULL,
    at          bigint NOT NULL,
    delta       integer NOT NULL CHECK (delta IN (-1, 1)),
    received_at bigint,
    uploaded_by text NOT NULL DEFAULT session_user,
    PRIMARY KEY (venue, id, at));

-- The server's clock, whatever the station sent.
CREATE OR REPLACE FUNCTION kestrin.stamp_received() RETURNS trigger LANGUAGE plpgsql AS $$
BEGIN
    NEW.received_at := kestrin.now_us();
    NEW.uploaded_by := session_user;
    RETURN NEW;
END $$;
DROP TRIGGER IF EXISTS stamp_received ON kestrin.scan_event;
CREATE TRIGGER stamp_received BEFORE INSERT ON kestrin.scan_event
    FOR EACH ROW EXECUTE FUNCTION kestrin.stamp_received();
DROP TRIGGER IF EXISTS stamp_received ON kestrin.door_count;
CREATE TRIGGER stamp_received BEFORE INSERT ON kestrin.door_count
    FOR EACH ROW EXECUTE FUNCTION kestrin.stamp_received();

CREATE TABLE IF NOT EXISTS kestrin.list_entry (
    id           uuid PRIMARY KEY,
    grp          text NOT NULL,
    venue        text NOT NULL,
    scope        text NOT NULL CHECK (scope IN ('venue', 'group')),
    list         text NOT NULL CHECK (list IN ('banned', 'flagged', 'vip')),
    id_hmac      bytea NOT NULL CHECK (octet_length(id_hmac) = 32),
    key_version  integer NOT NULL DEFAULT 1,
    reason       text NOT NULL CHECK (reason IN ('violence', 'theft', 'fake-id', 'harassment', 'drugs',
                                                 'underage-attempt', 'other')),
    note         text NOT NULL DEFAULT '',
    valid_until  bigint NOT NULL,
    display_name text,
    birth_date   text,
    station      text NOT NULL DEFAULT '',
    created_by   text NOT NULL,
    created_at   bigint NOT NULL,
    lifted_at    bigint,
    lifted_by    text,
    lift_reason  text,
    changed_xid  xid8 NOT NULL DEFAULT pg_current_xact_id(),
    -- Every entry ends, at most five years (of 365.25 days) after it was made.
    CONSTRAINT expiry_within_five_years CHECK (valid_until > created_at AND valid_until <= created_at + 157788000000000));
CREATE INDEX IF NOT EXISTS list_entry_changed ON kestrin.list_entry (changed_xid);
CREATE INDEX IF NOT EXISTS list_entry_hmac ON kestrin.list_entry (id_hmac);

CREATE TABLE IF NOT EXISTS kestrin.station_status (
    venue        text NOT NULL,
    station      text NOT NULL,
    waiting      bigint NOT NULL,
    last_upload  bigint,
    list_version text NOT NULL DEFAULT '',
    reported_at  bigint NOT NULL,
    PRIMARY KEY (venue, station));

-- Who is asking: the login (session) user, also inside SECURITY DEFINER functions where current_user
-- is the owner.
CREATE OR REPLACE FUNCTION kestrin.my_venue() RETURNS text LANGUAGE sql STABLE SECURITY DEFINER
    SET search_path = pg_catalog, pg_temp
    AS $$ SELECT name FROM kestrin.venue WHERE login_role = session_user $$;
CREATE OR REPLACE FUNCTION kestrin.my_group() RETURNS text LANGUAGE sql STABLE SECURITY DEFINER
    SET search_path = pg_catalog, pg_temp
    AS $$ SELECT grp FROM kestrin.venue WHERE login_role = session_user $$;
CREATE OR REPLACE FUNCTION kestrin.is_manager() RETURNS boolean LANGUAGE sql STABLE SECURITY DEFINER
    SET search_path = pg_catalog, pg_temp
    AS $$ SELECT EXISTS (SELECT 1 FROM pg_roles WHERE rolname = 'kestrin_manager')
                 AND pg_has_role(session_user, 'kestrin_manager', 'MEMBER') $$;

-- The login, and over TLS the door's certificate (sslinfo, where the database's owner could install it),
-- so that each door with its own certificate is told apart from the others of its venue.
DO $$
BEGIN
    CREATE EXTENSION IF NOT EXISTS sslinfo;
EXCEPTION WHEN OTHERS THEN
    NULL;
END $$;
CREATE OR REPLACE FUNCTION kestrin.caller() RETURNS text LANGUAGE plpgsql STABLE
    SET search_path = pg_catalog, pg_temp AS $$
DECLARE
    v_dn text;
BEGIN
    IF to_regprocedure('public.ssl_client_dn()') IS NOT NULL THEN
        EXECUTE 'SELECT public.ssl_client_dn()' INTO v_dn;
    END IF;
    RETURN session_user || coalesce(' ' || v_dn, '');
END $$;

CREATE OR REPLACE FUNCTION kestrin.notify_list() RETURNS trigger LANGUAGE plpgsql AS $$
BEGIN
    PERFORM pg_notify('kestrin_list', NEW.grp);
    RETURN NULL;
END $$;
DROP TRIGGER IF EXISTS notify_list ON kestrin.list_entry;
CREATE TRIGGER notify_list AFTER INSERT OR UPDATE ON kestrin.list_entry
    FOR EACH ROW EXECUTE FUNCTION kestrin.notify_list();

-- A station adds an entry for its own venue and group (whatever venue it names); a manager, or the
-- database's owner, for the venue it names. The same id again is a retry and changes nothing.
CREATE OR REPLACE FUNCTION kestrin.add_entry(p_id uuid, p_list text, p_id_hmac bytea, p_key_version integer,
        p_reason text, p_note text, p_valid_until bigint, p_scope text, p_station text,
        p_display_name text DEFAULT NULL, p_birth_date text DEFAULT NULL, p_venue text DEFAULT NULL)
    RETURNS uuid LANGUAGE plpgsql SECURITY DEFINER SET search_path = pg_catalog, pg_temp AS $$
DECLARE
    v_venue text := kestrin.my_venue();
    v_group text;
BEGIN
    IF v_venue IS NULL AND (kestrin.is_manager()
                            OR (SELECT rolsuper FROM pg_roles WHERE rolname = session_user)) THEN
        v_venue := p_venue;
    END IF;
    SELECT grp INTO v_group FROM kestrin.venue WHERE name = v_venue;
    IF v_group IS NULL THEN
        RAISE EXCEPTION 'role % adds entries for no known venue', session_user USING ERRCODE = '42501';
    END IF;
    INSERT INTO kestrin.list_entry (id, grp, venue, scope, list, id_hmac, key_version, reason, note, valid_until,
                                    display_name, birth_date, station, created_by, created_at)
    VALUES (p_id, v_group, v_venue, p_scope, p_list, p_id_hmac, p_key_version, p_reason, coalesce(p_note, ''),
            p_valid_until, p_display_name, p_birth_date, coalesce(p_station, ''), kestrin.caller(), kestrin.now_us())
    ON CONFLICT (id) DO NOTHING;
    RETURN p_id;
END $$;

CREATE OR REPLACE FUNCTION kestrin.lift_entry(p_id uuid, p_reason text) RETURNS boolean
    LANGUAGE plpgsql SECURITY DEFINER SET search_path = pg_catalog, pg_temp AS $$
BEGIN
    IF NOT kestrin.is_manager() AND session_user IN (SELECT login_role FROM kestrin.venue) THEN
        RAISE EXCEPTION 'only a manager lifts entries' USING ERRCODE = '42501';
    END IF;
    UPDATE kestrin.list_entry
       SET lifted_at = kestrin.now_us(), lifted_by = kestrin.caller(), lift_reason = p_reason,
           changed_xid = pg_current_xact_id()
     WHERE id = p_id AND lifted_at IS NULL;
    RETURN FOUND;
END $$;

CREATE OR REPLACE FUNCTION kestrin.report_status(p_station text, p_waiting bigint, p_last_upload bigint,
        p_list_version text) RETURNS void
    LANGUAGE plpgsql SECURITY DEFINER SET search_path = pg_catalog, pg_temp AS $$
DECLARE
    v_venue text := kestrin.my_venue();
BEGIN
    IF v_venue IS NULL THEN
        RETURN;
    END IF;
    INSERT INTO kestrin.station_status (venue, station, waiting, last_upload, list_version, reported_at)
    VALUES (v_venue, p_station, p_waiting, p_last_upload, coalesce(p_list_version, ''), kestrin.now_us())
    ON CONFLICT (venue, station) DO UPDATE
       SET waiting = EXCLUDED.waiting, last_upload = coalesce(EXCLUDED.last_upload, kestrin.station_status.last_upload),
           list_version = EXCLUDED.list_version, reported_at = EXCLUDED.reported_at;
END $$;

CREATE OR REPLACE FUNCTION kestrin.add_venue(p_venue text, p_group text, p_login_role text) RETURNS void
    LANGUAGE plpgsql AS $$
BEGIN
    INSERT INTO kestrin.venue_group (name) VALUES (p_group) ON CONFLICT DO NOTHING;
    INSERT INTO kestrin.venue (name, grp, login_role) VALUES (p_venue, p_group, p_login_role)
    ON CONFLICT (name) DO UPDATE SET grp = EXCLUDED.grp, login_role = coalesce(EXCLUDED.login_role, kestrin.venue.login_role);
END $$;
)SQL";

// Row security: stations see and add only their own venue's rows (a forged venue is refused), read
// their venue's and group's lists; managers do everything. FORCE makes the owner, and so the
// SECURITY DEFINER functions, obey the same policies.
constexpr const char* kPolicies = R"SQL(
ALTER TABLE kestrin.scan_event ENABLE ROW LEVEL SECURITY;
ALTER TABLE kestrin.scan_event FORCE ROW LEVEL SECURITY;
ALTER TABLE kestrin.door_count ENABLE ROW LEVEL SECURITY;
ALTER TABLE kestrin.door_count FORCE ROW LEVEL SECURITY;
ALTER TABLE kestrin.list_entry ENABLE ROW LEVEL SECURITY;
ALTER TABLE kestrin.list_entry FORCE ROW LEVEL SECURITY;
ALTER TABLE kestrin.station_status ENABLE ROW LEVEL SECURITY;
ALTER TABLE kestrin.station_status FORCE ROW LEVEL SECURITY;
ALTER TABLE kestrin.venue ENABLE ROW LEVEL SECURITY;
ALTER TABLE kestrin.venue FORCE ROW LEVEL SECURITY;
ALTER TABLE kestrin.venue_group ENABLE ROW LEVEL SECURITY;
ALTER TABLE kestrin.venue_group FORCE ROW LEVEL SECURITY;

DROP POLICY IF EXISTS own_venue_read ON kestrin.scan_event;
CREATE POLICY own_venue_read ON kestrin.scan_event FOR SELECT USING (venue = kestrin.my_venue() OR kestrin.is_manager());
DROP POLICY IF EXISTS own_venue_add ON kestrin.scan_event;
CREATE POLICY own_venue_add ON kestrin.scan_event FOR INSERT WITH CHECK (venue = kestrin.my_venue() OR kestrin.is_manager());
DROP POLICY IF EXISTS manager_change ON kestrin.scan_event;
CREATE POLICY manager_change ON kestrin.scan_event FOR UPDATE USING (kestrin.is_manager());
DROP POLICY IF EXISTS manager_delete ON kestrin.scan_event;
CREATE POLICY manager_delete ON kestrin.scan_event FOR DELETE USING (kestrin.is_manager());

DROP POLICY IF EXISTS own_venue_read ON kestrin.door_count;
CREATE POLICY own_venue_read ON kestrin.door_count FOR SELECT USING (venue = kestrin.my_venue() OR kestrin.is_manager());
DROP POLICY IF EXISTS own_venue_add ON kestrin.door_count;
CREATE POLICY own_venue_add ON kestrin.door_count FOR INSERT WITH CHECK (venue = kestrin.my_venue() OR kestrin.is_manager());
DROP POLICY IF EXISTS manager_change ON kestrin.door_count;
CREATE POLICY manager_change ON kestrin.door_count FOR UPDATE USING (kestrin.is_manager());
DROP POLICY IF EXISTS manager_delete ON kestrin.door_count;
CREATE POLICY manager_delete ON kestrin.door_count FOR DELETE USING (kestrin.is_manager());

DROP POLICY IF EXISTS group_read ON kestrin.list_entry;
CREATE POLICY group_read ON kestrin.list_entry FOR SELECT USING (
    kestrin.is_manager() OR (grp = kestrin.my_group() AND (scope = 'group' OR venue = kestrin.my_venue())));
DROP POLICY IF EXISTS own_venue_add ON kestrin.list_entry;
CREATE POLICY own_venue_add ON kestrin.list_entry FOR INSERT WITH CHECK (
    kestrin.is_manager() OR (venue = kestrin.my_venue() AND grp = kestrin.my_group()));
DROP POLICY IF EXISTS manager_lift ON kestrin.list_entry;
CREATE POLICY manager_lift ON kestrin.list_entry FOR UPDATE USING (kestrin.is_manager());

DROP POLICY IF EXISTS own_venue ON kestrin.station_status;
CREATE POLICY own_venue ON kestrin.station_status USING (venue = kestrin.my_venue() OR kestrin.is_manager());

DROP POLICY IF EXISTS read_all ON kestrin.venue;
CREATE POLICY read_all ON kestrin.venue FOR SELECT USING (true);
DROP POLICY IF EXISTS manager_write ON kestrin.venue;
CREATE POLICY manager_write ON kestrin.venue USING (kestrin.is_manager()) WITH CHECK (kestrin.is_manager());
DROP POLICY IF EXISTS read_all ON kestrin.venue_group;
CREATE POLICY read_all ON kestrin.venue_group FOR SELECT USING (true);
DROP POLICY IF EXISTS manager_write ON kestrin.venue_group;
CREATE POLICY manager_write ON kestrin.venue_group USING (kestrin.is_manager()) WITH CHECK (kestrin.is_manager());
)SQL";

constexpr const char* kRoles = R"SQL(
DO $$
BEGIN
    IF NOT EXISTS (SELECT 1 FROM pg_roles WHERE rolname = 'kestrin_owner') THEN
        CREATE ROLE kestrin_owner NOLOGIN;
    END IF;
    IF NOT EXISTS (SELECT 1 FROM pg_roles WHERE rolname = 'kestrin_station') THEN
        CREATE ROLE kestrin_station NOLOGIN;
    END IF;
    IF NOT EXISTS (SELECT 1 FROM pg_roles WHERE rolname = 'kestrin_manager') THEN
        CREATE ROLE kestrin_manager NOLOGIN;
    END IF;
END $$;
ALTER SCHEMA kestrin OWNER TO kestrin_owner;
ALTER TABLE kestrin.venue_group OWNER TO kestrin_owner;
ALTER TABLE kestrin.venue OWNER TO kestrin_owner;
ALTER TABLE kestrin.scan_event OWNER TO kestrin_owner;
ALTER TABLE kestrin.door_count OWNER TO kestrin_owner;
ALTER TABLE kestrin.list_entry OWNER TO kestrin_owner;
ALTER TABLE kestrin.station_status OWNER TO kestrin_owner;
ALTER FUNCTION kestrin.now_us() OWNER TO kestrin_owner;
ALTER FUNCTION kestrin.stamp_received() OWNER TO kestrin_owner;
ALTER FUNCTION kestrin.my_venue() OWNER TO kestrin_owner;
ALTER FUNCTION kestrin.my_group() OWNER TO kestrin_owner;
ALTER FUNCTION kestrin.is_manager() OWNER TO kestrin_owner;
ALTER FUNCTION kestrin.notify_list() OWNER TO kestrin_owner;
ALTER FUNCTION kestrin.caller() OWNER TO kestrin_owner;
ALTER FUNCTION kestrin.ensure_partitions() OWNER TO kestrin_owner;
ALTER FUNCTION kestrin.add_entry(uuid, text, bytea, integer, text, text, bigint, text, text, text, text, text) OWNER TO kestrin_owner;
ALTER FUNCTION kestrin.lift_entry(uuid, text) OWNER TO kestrin_owner;
ALTER FUNCTION kestrin.report_status(text, bigint, bigint, text) OWNER TO kestrin_owner;

REVOKE ALL ON ALL TABLES IN SCHEMA kestrin FROM PUBLIC;
REVOKE ALL ON ALL FUNCTIONS IN SCHEMA kestrin FROM PUBLIC;
GRANT USAGE ON SCHEMA kestrin TO kestrin_station, kestrin_manager;
GRANT EXECUTE ON FUNCTION kestrin.now_us(), kestrin.my_venue(), kestrin.my_group(), kestrin.is_manager()
    TO kestrin_station, kestrin_manager;
GRANT EXECUTE ON FUNCTION kestrin.add_entry(uuid, text, bytea, integer, text, text, bigint, text, text, text, text, text),
                          kestrin.ensure_partitions(),
                          kestrin.report_status(text, bigint, bigint, text)
    TO kestrin_station, kestrin_manager;
GRANT EXECUTE ON FUNCTION kestrin.lift_entry(uuid, text) TO kestrin_manager;
GRANT SELECT, INSERT ON kestrin.scan_event, kestrin.door_count TO kestrin_station;
GRANT SELECT ON kestrin.list_entry, kestrin.station_status, kestrin.venue, kestrin.venue_group TO kestrin_station;
GRANT SELECT, INSERT, UPDATE, DELETE ON kestrin.scan_event, kestrin.door_count, kestrin.station_status,
    kestrin.venue, kestrin.venue_group TO kestrin_manager;
GRANT SELECT ON kestrin.list_entry TO kestrin_manager;
)SQL";

} // namespace

std::string PgSchema::InitSql(bool withRoles) {
    std::string sql = "SELECT pg_advisory_xact_lock(7365734);\n";
    sql += kTables;
    sql += kPolicies;
    if (withRoles)
        sql += kRoles;
    return sql + "SELECT kestrin.ensure_partitions();\n";
}

bool PgSchema::Init(PgConnection& conn, bool withRoles, PgFailure* failure) {
    // One implicit transaction: a failure anywhere leaves the previous schema as it was.
    const std::string sql = "BEGIN;\nSET LOCAL client_min_messages = warning;\n" + InitSql(withRoles) + "COMMIT;";
    if (conn.Exec(sql, Clock::now() + kTimeout, failure))
        return true;
    PgFailure ignored;
    conn.Exec("ROLLBACK", Clock::now() + kTimeout, &ignored);
    return false;
}

bool PgSchema::AddVenue(PgConnection& conn, const std::string& venue, const std::string& group,
                        const std::string& loginRole, PgFailure* failure) {
    const auto deadline = Clock::now() + kTimeout;
    if (!loginRole.empty()) {
        const std::string create =
            "DO $$ BEGIN IF NOT EXISTS (SELECT 1 FROM pg_roles WHERE rolname = " + std::string("$q$") + loginRole +
            "$q$) THEN CREATE ROLE \"" + loginRole + "\" LOGIN IN ROLE kestrin_station; END IF; END $$";
        if (loginRole.find_first_of("\"$") != std::string::npos) {
            *failure = PgFailure{"42602", "the role name may not contain \" or $"};
            return false;
        }
        if (!conn.Exec(create, deadline, failure))
            return false;
    }
    std::optional<std::string> role;
    if (!loginRole.empty())
        role = loginRole;
    return conn.Exec("SELECT kestrin.add_venue($1, $2, $3)", {venue, group, role}, deadline, failure).has_value();
}

} // namespace Venue

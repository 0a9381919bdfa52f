// The map page's script interface (GMap2, GLatLng, GMarker, the two controls, GBrowserIsCompatible
// and GUnload) drawn with Leaflet over OpenStreetMap tiles, plus the recording's route and, in a
// lighter line under it, the route of the whole drive the recording belongs to.
//
// The archive window shows the same page with "?view=archive": the map fills the window, has a
// scale, draws the chosen drives with their events, and a click on it is a search (see
// defineArchive). The page tells the window what the user did by console lines "zyn:...".
//
// The page polls for GBrowserIsCompatible, so none of the names exist until Leaflet has arrived:
// a Leaflet that cannot be found leaves the page to report "Failed to load Google Maps API"
// after its tries, as it would for a map provider that does not answer.
(function () {
    "use strict";

    // Beside the page first (the build and the installer place a copy there), then where
    // Debian's libjs-leaflet package puts it.
    var LEAFLET_PLACES = ["leaflet/", "file:///usr/share/javascript/leaflet/"];

    var OSM_TILES = "https://tile.openstreetmap.org/{z}/{x}/{y}.png";
    // OpenStreetMap's licence asks for this credit wherever its tiles are shown.
    var OSM_ATTRIBUTION = "&copy; <a href=\"https://www.openstreetmap.org/copyright\">" +
        "OpenStreetMap</a> contributors";
    var ROUTE_STYLE = { color: "#e4572e", weight: 4, opacity: 0.85, interactive: false };
    var DRIVE_ROUTE_STYLE = { color: "#f2b38a", weight: 6, opacity: 0.6, interactive: false };

    // The page address may name another tile source ("?tiles=<template>") or none at all
    // ("?tiles=none", an empty map for machines without a network).
    function tileTemplate() {
        var found = /[?&]tiles=([^&]*)/.exec(window.location.search);
        return found ? decodeURIComponent(found[1]) : OSM_TILES;
    }

    function loadLeaflet(index) {
        if (index >= LEAFLET_PLACES.length)
            return;
        var base = LEAFLET_PLACES[index];
        var script = document.createElement("script");
        script.src = base + "leaflet.js";
        script.onload = function () {
            loadStyle(base + "leaflet.css", start);
        };
        script.onerror = function () {
            script.parentNode.removeChild(script);
            loadLeaflet(index + 1);
        };
        document.head.appendChild(script);
    }

    // The marker and control images are found through the style sheet, so the names appear
    // only once it has loaded (or failed to: the map still works without it, if plainer).
    function loadStyle(href, then) {
        var link = document.createElement("link");
        link.rel = "stylesheet";
        link.href = href;
        link.onload = then;
        link.onerror = then;
        document.head.appendChild(link);
    }

    function defineInterface() {
        var L = window.L;
        var maps = [];
        var route = [];
        var driveRoute = [];

        function GLatLng(lat, lng) {
            // The viewer hands the numbers over as quoted text. Number() rather than
            // parseFloat(): "37,5" must be refused, not read as 37.
            this._lat = Number(lat);
            this._lng = Number(lng);
        }
        GLatLng.prototype.lat = function () { return this._lat; };
        GLatLng.prototype.lng = function () { return this._lng; };
        GLatLng.prototype.equals = function (other) {
            return !!other && other._lat === this._lat && other._lng === this._lng;
        };
        GLatLng.prototype.toUrlValue = function (precision) {
            var digits = precision === undefined ? 6 : precision;
            return this._lat.toFixed(digits) + "," + this._lng.toFixed(digits);
        };
        GLatLng.prototype.toString = function () {
            return "(" + this._lat + ", " + this._lng + ")";
        };

        function onEarth(point) {
            return point instanceof GLatLng && isFinite(point._lat) && isFinite(point._lng) &&
                Math.abs(point._lat) <= 90 && Math.abs(point._lng) <= 180;
        }

        function GMarker(point) {
            this._point = point;
            this._layer = onEarth(point) ? L.marker([point._lat, point._lng]) : null;
        }
        GMarker.prototype.getLatLng = function () { return this._point; };
        GMarker.prototype.getPoint = GMarker.prototype.getLatLng;

        function GSmallZoomControl() {}
        GSmallZoomControl.prototype._make = function () {
            return L.control.zoom({ position: "topleft" });
        };

        function GMapTypeControl() {}
        GMapTypeControl.prototype._make = function (owner) {
            if (!owner._tiles)
                return null;
            return L.control.layers({ "OpenStreetMap": owner._tiles }, {},
                { position: "topright" });
        };

        function GMap2(container) {
            if (ARCHIVE) {
                document.documentElement.style.height = "100%";
                document.body.style.height = "100%";
                container.style.width = "100%";
                container.style.height = "100%";
            }
            this._map = L.map(container, { zoomControl: false, attributionControl: true });
            this._tiles = null;
            this._route = null;
            this._driveRoute = null;
            var template = tileTemplate();
            if (template && template !== "none") {
                this._tiles = L.tileLayer(template, { maxZoom: 19, attribution: OSM_ATTRIBUTION });
                this._tiles.addTo(this._map);
            }
            maps.push(this);
            drawRoute(this);
            if (ARCHIVE)
                window.zynArchive.attach(this._map);
        }
        GMap2.prototype.setCenter = function (point, zoom) {
            if (!onEarth(point))
                return;
            // The page centres on its start position, which the archive has none of.
            if (ARCHIVE && !this._map._loaded) {
                this._map.setView([30, 20], 2, { animate: false });
                return;
            }
            var level = Number(zoom);
            if (zoom === undefined || zoom === null || !isFinite(level))
                level = this._map._loaded ? this._map.getZoom() : 15;
            this._map.setView([point._lat, point._lng], level, { animate: false });
        };
        GMap2.prototype.getCenter = function () {
            var centre = this._map.getCenter();
            return new GLatLng(centre.lat, centre.lng);
        };
        GMap2.prototype.getZoom = function () { return this._map.getZoom(); };
        GMap2.prototype.addOverlay = function (overlay) {
            // The page's vehicle marker: the archive has no vehicle on show.
            if (ARCHIVE)
                return;
            if (overlay && overlay._layer)
                overlay._layer.addTo(this._map);
        };
        GMap2.prototype.removeOverlay = function (overlay) {
            if (overlay && overlay._layer)
                this._map.removeLayer(overlay._layer);
        };
        GMap2.prototype.addControl = function (control) {
            var made = control && control._make ? control._make(this) : null;
            if (made)
                made.addTo(this._map);
        };

        // The routes lie in the overlay pane, under the marker pane, so the marker stays on top;
        // the drive's is added first, so the recording's is drawn over it.
        function drawRoute(owner) {
            [owner._driveRoute, owner._route].forEach(function (layer) {
                if (layer)
                    owner._map.removeLayer(layer);
            });
            owner._driveRoute = driveRoute.length ?
                L.polyline(driveRoute, DRIVE_ROUTE_STYLE).addTo(owner._map) : null;
            owner._route = route.length ? L.polyline(route, ROUTE_STYLE).addTo(owner._map) : null;
            var start = route.length ? route[0] : driveRoute[0];
            if (!start)
                return;
            // Before the first position arrives the map sits at 0, 0: show the drive instead.
            var centre = owner._map._loaded ? owner._map.getCenter() : null;
            if (!centre || (centre.lat === 0 && centre.lng === 0))
                owner._map.setView(start, owner._map._loaded ? owner._map.getZoom() : 15,
                    { animate: false });
        }

        function GBrowserIsCompatible() {
            return !!(L.Browser.svg || L.Browser.canvas);
        }

        function GUnload() {
            var all = maps;
            maps = [];
            for (var i = 0; i < all.length; ++i)
                all[i]._map.remove();
        }

        // [[lat, lng], ...] without the points off the globe.
        function pointsOnEarth(points) {
            var kept = [];
            for (var i = 0; points && i < points.length; ++i) {
                var point = new GLatLng(points[i][0], points[i][1]);
                if (onEarth(point) && !(point._lat === 0 && point._lng === 0))
                    kept.push([point._lat, point._lng]);
            }
            return kept;
        }

        // The recording's route, and the drive's; kept for a map not created yet.
        function zynShowRoute(points) {
            route = pointsOnEarth(points);
            maps.forEach(drawRoute);
            return route.length;
        }

        function zynShowDriveRoute(points) {
            driveRoute = pointsOnEarth(points);
            maps.forEach(drawRoute);
            return driveRoute.length;
        }

        // What the map shows as the routes, for the viewer's checks.
        function drawnPoints(layer) {
            return layer ? layer.getLatLngs().map(function (p) { return [p.lat, p.lng]; }) : [];
        }

        function zynRoutePoints() {
            return drawnPoints(maps.length ? maps[0]._route : null);
        }

        function zynDriveRoutePoints() {
            return drawnPoints(maps.length ? maps[0]._driveRoute : null);
        }

        window.GLatLng = GLatLng;
        window.GMarker = GMarker;
        window.GSmallZoomControl = GSmallZoomControl;
        window.GMapTypeControl = GMapTypeControl;
        window.GMap2 = GMap2;
        window.GUnload = GUnload;
        window.zynShowRoute = zynShowRoute;
        window.zynRoutePoints = zynRoutePoints;
        window.zynShowDriveRoute = zynShowDriveRoute;
        window.zynDriveRoutePoints = zynDriveRoutePoints;
        window.GBrowserIsCompatible = GBrowserIsCompatible;
        if (ARCHIVE)
            window.zynArchive = defineArchive(L, pointsOnEarth);
    }

    var ARCHIVE = /[?&]view=archive(&|$)/.test(window.location.search);

    // The archive's drives, events and search, on the archive window's map.
    function defineArchive(L, pointsOnEarth) {
        var EVENT_COLOURS = { camera: "#ff8c00", braking: "#f05a4b", acceleration: "#aaff4b",
            impact: "#ff4bd2", turn: "#ffe646" };
        var DRIVE_COLOURS = ["#e4572e", "#2e86e4", "#9b59d0", "#1fae8c", "#d4a017"];
        var map = null;
        var drives = L.layerGroup();
        var events = L.layerGroup();
        var passes = L.layerGroup();
        var search = { centre: null, radius: 100, circle: null, handle: null };

        function tell(line) {
            console.log("zyn:" + line);
        }

        function eastOf(centre, metres) {
            var degrees = metres / (6371008.8 * Math.cos(centre.lat * Math.PI / 180)) * 180 /
                Math.PI;
            return L.latLng(centre.lat, centre.lng + degrees);
        }

        // The circle of the search and, on its edge, the handle that drags its radius.
        function drawSearch() {
            if (search.circle)
                map.removeLayer(search.circle);
            if (search.handle)
                map.removeLayer(search.handle);
            search.circle = search.handle = null;
            if (!search.centre)
                return;
            search.circle = L.circle(search.centre, { radius: search.radius, color: "#0979d5",
                weight: 2, fillOpacity: 0.12, interactive: false }).addTo(map);
            search.handle = L.marker(eastOf(search.centre, search.radius), {
                draggable: true, keyboard: false,
                icon: L.divIcon({ className: "", iconSize: [12, 12], html:
                    "<div style='width:10px;height:10px;border:1px solid #fff;" +
                    "background:#0979d5;border-radius:6px'></div>" })
            }).addTo(map);
            search.handle.on("drag", function (e) {
                search.radius = Math.max(10, search.centre.distanceTo(e.target.getLatLng()));
                search.circle.setRadius(search.radius);
            });
            search.handle.on("dragend", function () {
                drawSearch();
                tellSearch();
            });
        }

        function tellSearch() {
            tell("search " + search.centre.lat.toFixed(6) + " " + search.centre.lng.toFixed(6) +
                " " + Math.round(search.radius));
        }

        function dot(item, colour, radius, what) {
            var marker = L.circleMarker([item[0], item[1]], { radius: radius, color: "#ffffff",
                weight: 1, fillColor: colour, fillOpacity: 0.95, bubblingMouseEvents: false });
            if (item[3])
                marker.bindTooltip(String(item[3]));
            marker.on("dblclick", function (e) {
                L.DomEvent.stop(e);
                tell("play " + what + " " + item[2]);
            });
            marker.on("click", function (e) {
                L.DomEvent.stop(e);
                tell("choose " + what + " " + item[2]);
            });
            return marker;
        }

        return {
            attach: function (leafletMap) {
                map = leafletMap;
                L.control.scale({ imperial: false, position: "bottomleft" }).addTo(map);
                drives.addTo(map);
                events.addTo(map);
                passes.addTo(map);
                map.doubleClickZoom.disable();
                map.on("click", function (e) {
                    search.centre = e.latlng;
                    drawSearch();
                    tellSearch();
                });
            },
            // routes: [[[lat, lng], ...], ...]; marks: [[lat, lng, id, label, kind], ...].
            drives: function (routes, marks, fit) {
                if (!map)
                    return 0;
                drives.clearLayers();
                events.clearLayers();
                var bounds = L.latLngBounds([]);
                (routes || []).forEach(function (route, i) {
                    var points = pointsOnEarth(route);
                    if (!points.length)
                        return;
                    L.polyline(points, { color: DRIVE_COLOURS[i % DRIVE_COLOURS.length],
                        weight: 4, opacity: 0.85, interactive: false }).addTo(drives);
                    bounds.extend(points);
                });
                (marks || []).forEach(function (mark) {
                    dot(mark, EVENT_COLOURS[mark[4]] || "#ffffff", 6, "event").addTo(events);
                });
                if (fit && bounds.isValid())
                    map.fitBounds(bounds, { padding: [24, 24], animate: false, maxZoom: 17 });
                return drives.getLayers().length;
            },
            // items: [[lat, lng, id, label], ...]
            passes: function (items) {
                if (!map)
                    return 0;
                passes.clearLayers();
                (items || []).forEach(function (item) {
                    dot(item, "#85d2d9", 7, "pass").addTo(passes);
                });
                return passes.getLayers().length;
            },
            // A search typed in the window: drawn and shown, not told back.
            search: function (lat, lng, radius) {
                if (!map)
                    return false;
                search.centre = L.latLng(Number(lat), Number(lng));
                search.radius = Number(radius);
                drawSearch();
                map.setView(search.centre, Math.max(map.getZoom(), 15), { animate: false });
                return true;
            },
            // Where a place lies in the window (CSS pixels), for the window's checks.
            pixel: function (lat, lng) {
                if (!map)
                    return null;
                var p = map.latLngToContainerPoint([Number(lat), Number(lng)]);
                return [Math.round(p.x), Math.round(p.y)];
            },
            state: function () {
                return { ready: !!map, drives: drives.getLayers().length,
                    events: events.getLayers().length, passes: passes.getLayers().length,
                    radius: search.radius,
                    centre: search.centre ? [search.centre.lat, search.centre.lng] : null };
            }
        };
    }

    // Routes sent before the interface exists wait here.
    window.zynShowRoute = function (points) {
        window.zynPendingRoute = points;
        return 0;
    };
    window.zynShowDriveRoute = function (points) {
        window.zynPendingDriveRoute = points;
        return 0;
    };

    function start() {
        defineInterface();
        if (window.zynPendingDriveRoute) {
            window.zynShowDriveRoute(window.zynPendingDriveRoute);
            delete window.zynPendingDriveRoute;
        }
        if (window.zynPendingRoute) {
            window.zynShowRoute(window.zynPendingRoute);
            delete window.zynPendingRoute;
        }
    }

    loadLeaflet(0);
})();

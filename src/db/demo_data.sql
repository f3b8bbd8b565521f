-- Demo data for dd_inhouse: a small team with a month of schedule entries around
-- today. Load it into empty tables (scripts/demo truncates them first). Sign in as
-- demo / demo1234pass. The computer's address (user_mac) is registered by scripts/demo.

SET @first = CAST(DATE_FORMAT(CURDATE(), '%Y-%m-01') AS DATE);
SET @last = LAST_DAY(CURDATE());

INSERT INTO user (id, name, level, password2, hidden, groupcode) VALUES
    ('demo',   '한지우', 1, SHA1('demo1234pass'), 0, 1),
    ('dyseo',  '서도윤', 9, SHA1('dyseo!2024'),   0, 1),
    ('mgchoi', '최민결', 5, SHA1('mgchoi!2024'),  0, 1),
    ('jhpark', '박준호', 1, SHA1('jhpark!2024'),  0, 1),
    ('sykim',  '김서연', 1, SHA1('sykim!2024'),   0, 1),
    ('yslee',  '이영수', 1, SHA1('yslee!2019'),   1, 1),
    ('partner','정민수', 1, SHA1('partner!2024'), 0, 2);

INSERT INTO worktide_cate (catename, devname, ordpos) VALUES
    ('회의', '*', 1),
    ('출장', '*', 2),
    ('교육', '*', 3),
    ('휴가', '*', 4),
    ('기타', '*', 9),
    ('고객지원', '한지우', 1),
    ('문서작업', '한지우', 2),
    ('개발', '서도윤', 1),
    ('배포', '서도윤', 2),
    ('상담', '최민결', 1),
    ('유지보수', '대구개발', 1),
    ('전화상담', '대구상담', 1);

INSERT INTO worktide (wdate, devname, title, details, sdate, edate, finished, catename) VALUES
    -- one day, finished
    (CURDATE(), '한지우', '주간 업무 회의', '지난주 실적 공유\r\n이번 주 우선순위 정리',
        DATE_FORMAT(@first + INTERVAL 1 DAY, '%Y-%m-%d'), DATE_FORMAT(@first + INTERVAL 1 DAY, '%Y-%m-%d'), 1, '회의'),
    -- several days, open
    (CURDATE(), '한지우', '고객사 요구사항 정리', '(주)한빛물산 2차 요구사항\r\n- 화면 목록\r\n- 일정 협의',
        DATE_FORMAT(@first + INTERVAL 3 DAY, '%Y-%m-%d'), DATE_FORMAT(@first + INTERVAL 6 DAY, '%Y-%m-%d'), 0, '고객지원'),
    -- starts in the previous month
    (CURDATE(), '한지우', '신입 교육 자료 준비', '사내 시스템 사용법, 보안 수칙',
        DATE_FORMAT(@first - INTERVAL 3 DAY, '%Y-%m-%d'), DATE_FORMAT(@first + INTERVAL 1 DAY, '%Y-%m-%d'), 1, '교육'),
    -- ends in the next month
    (CURDATE(), '한지우', '부산 지사 출장', 'KTX 08:00 서울역 출발',
        DATE_FORMAT(@last - INTERVAL 1 DAY, '%Y-%m-%d'), DATE_FORMAT(@last + INTERVAL 2 DAY, '%Y-%m-%d'), 0, '출장'),
    (CURDATE(), '한지우', '월말 보고서 작성', NULL,
        DATE_FORMAT(@last - INTERVAL 2 DAY, '%Y-%m-%d'), DATE_FORMAT(@last, '%Y-%m-%d'), 0, '문서작업'),
    (CURDATE(), '한지우', '서버 점검 결과 확인', '점검 보고서 회신',
        DATE_FORMAT(CURDATE(), '%Y-%m-%d'), DATE_FORMAT(CURDATE(), '%Y-%m-%d'), 0, '기타'),
    (CURDATE(), '한지우', '연차', NULL,
        DATE_FORMAT(@first + INTERVAL 14 DAY, '%Y-%m-%d'), DATE_FORMAT(@first + INTERVAL 15 DAY, '%Y-%m-%d'), 1, '휴가'),
    (CURDATE(), '한지우', '똠얌꿍 회식 장소 예약', '12명, 19시',
        DATE_FORMAT(@first + INTERVAL 19 DAY, '%Y-%m-%d'), DATE_FORMAT(@first + INTERVAL 19 DAY, '%Y-%m-%d'), 0, '기타'),
    -- no end date: found by the search list only
    (CURDATE(), '한지우', '문서 양식 표준화', '종료일 미정',
        DATE_FORMAT(@first + INTERVAL 10 DAY, '%Y-%m-%d'), '', 0, '문서작업'),
    -- no dates at all
    (CURDATE(), '한지우', '아이디어: 일정 알림 기능', '메신저 연동 검토', '', '', 0, '기타'),

    (CURDATE(), '서도윤', '릴리스 1.0.37 배포', '배포 후 모니터링',
        DATE_FORMAT(@first + INTERVAL 7 DAY, '%Y-%m-%d'), DATE_FORMAT(@first + INTERVAL 8 DAY, '%Y-%m-%d'), 1, '배포'),
    (CURDATE(), '서도윤', '데이터베이스 이중화 검토', NULL,
        DATE_FORMAT(@first + INTERVAL 9 DAY, '%Y-%m-%d'), DATE_FORMAT(@first + INTERVAL 16 DAY, '%Y-%m-%d'), 0, '개발'),
    (CURDATE(), '서도윤', '코드 리뷰', NULL,
        DATE_FORMAT(CURDATE(), '%Y-%m-%d'), DATE_FORMAT(CURDATE(), '%Y-%m-%d'), 0, '개발'),

    (CURDATE(), '최민결', '고객 상담 일정 정리', NULL,
        DATE_FORMAT(@first + INTERVAL 2 DAY, '%Y-%m-%d'), DATE_FORMAT(@first + INTERVAL 2 DAY, '%Y-%m-%d'), 1, '상담'),
    (CURDATE(), '최민결', '상담 매뉴얼 개정', '자주 묻는 질문 30개 추가',
        DATE_FORMAT(@first + INTERVAL 12 DAY, '%Y-%m-%d'), DATE_FORMAT(@first + INTERVAL 20 DAY, '%Y-%m-%d'), 0, '상담'),
    (CURDATE(), '최민결', '팀 워크숍', '양평 연수원',
        DATE_FORMAT(@last, '%Y-%m-%d'), DATE_FORMAT(@last + INTERVAL 1 DAY, '%Y-%m-%d'), 0, '교육'),

    (CURDATE(), '박준호', '거래처 미팅', '강남 본사 3층',
        DATE_FORMAT(@first + INTERVAL 5 DAY, '%Y-%m-%d'), DATE_FORMAT(@first + INTERVAL 5 DAY, '%Y-%m-%d'), 0, '회의'),
    (CURDATE(), '김서연', '정보보호 세미나 참석', NULL,
        DATE_FORMAT(@first + INTERVAL 18 DAY, '%Y-%m-%d'), DATE_FORMAT(@first + INTERVAL 19 DAY, '%Y-%m-%d'), 1, '교육'),

    (CURDATE(), '대구개발', '대구 지사 서버 교체', '야간 작업',
        DATE_FORMAT(@first + INTERVAL 21 DAY, '%Y-%m-%d'), DATE_FORMAT(@first + INTERVAL 23 DAY, '%Y-%m-%d'), 0, '유지보수'),
    (CURDATE(), '대구상담', '상담 전화 회선 증설', NULL,
        DATE_FORMAT(@first + INTERVAL 4 DAY, '%Y-%m-%d'), DATE_FORMAT(@first + INTERVAL 4 DAY, '%Y-%m-%d'), 1, '전화상담');
